// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QTranslator>

/// Cuewell's texts and Qt's own (the standard context menus and dialogs) in the user's language,
/// for as long as this object lives; the locale is the program's default locale meanwhile, which
/// is also the language the model is asked to write in. Where a language has no translation the
/// texts stay English.
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
    QLocale m_previousDefault;
    QTranslator m_cuewell;
    QTranslator m_qt;
    bool m_cuewellInstalled = false;
    bool m_qtInstalled = false;
};
