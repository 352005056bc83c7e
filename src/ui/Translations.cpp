// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Translations.h"

#include "core/Texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

// Where the build puts the compiled translations, inside the program.
const QString ownTranslations = QStringLiteral(":/i18n");

bool installFrom(QTranslator& translator, const QLocale& locale, const QString& name,
                 const QString& folder)
{
    // English is the texts' own language: a translation for it would only be found by accident.
    const QLocale::Language language = Texts::readingLanguage(locale);
    if (language == QLocale::English || language == QLocale::C)
        return false;
    return translator.load(locale, name, QStringLiteral("_"), folder) &&
           QCoreApplication::installTranslator(&translator);
}

} // namespace

Translations::Translations(const QLocale& locale)
    : m_cuewellInstalled(
          installFrom(m_cuewell, locale, QStringLiteral("cuewell"), ownTranslations)),
      m_qtInstalled(installFrom(m_qt, locale, QStringLiteral("qtbase"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
{
    QLocale::setDefault(locale);
}

Translations::~Translations()
{
    if (m_qtInstalled)
        QCoreApplication::removeTranslator(&m_qt);
    if (m_cuewellInstalled)
        QCoreApplication::removeTranslator(&m_cuewell);
    QLocale::setDefault(m_previousDefault);
}
