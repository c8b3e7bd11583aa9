#include "QtDialogTranslation.h"

#include "platform/AppLanguage.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace brivello {

QtDialogTranslation::QtDialogTranslation()
{
    m_loaded = m_translator.load(QLocale(QLocale::Russian),
                                 QString::fromLatin1(kCatalogue),
                                 QStringLiteral("_"),
                                 catalogueDirectory());
    if (!m_loaded)
        qWarning("Qt's Russian texts not found in %s (package qt6-translations-l10n)",
                 qPrintable(catalogueDirectory()));
    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) { apply(); });
    apply();
}

QtDialogTranslation::~QtDialogTranslation()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

QString QtDialogTranslation::catalogueDirectory()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtDialogTranslation::apply()
{
    const bool wanted = m_loaded && AppLanguage::current() == AppLanguage::russian;
    if (wanted == m_installed)
        return;
    // Both calls send LanguageChange to every widget, so open dialogs redraw their Qt texts.
    if (wanted)
        m_installed = QCoreApplication::installTranslator(&m_translator);
    else
        m_installed = !QCoreApplication::removeTranslator(&m_translator);
}

} // namespace brivello
