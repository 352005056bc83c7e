// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QTranslator>

/// Cuewell's texts and Qt's own (the standard context menus and dialogs) in the user's language,
/// for as long as this object lives. Where a language has no translation the texts stay English.
class Translations
{
public:
    explicit Translations(const QLocale& locale = QLocale::system());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    /// Whether Cuewell's own texts are translated for the locale.
    bool translatesCuewell() const { return m_cuewellInstalled; }

private:
    QTranslator m_cuewell;
    QTranslator m_qt;
    bool m_cuewellInstalled = false;
    bool m_qtInstalled = false;
};
