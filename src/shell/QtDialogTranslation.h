#pragma once

#include <QObject>
#include <QTranslator>

namespace brivello {

// Qt's own texts (dialog buttons, the file dialog, the context menus of text fields) follow the
// interface language: Qt's Russian catalogue is installed while the interface is Russian and
// removed for English, live on brivelloLanguageDidChange. Main thread; owned by the application.
class QtDialogTranslation : public QObject
{
    Q_OBJECT
public:
    static constexpr auto kCatalogue = "qtbase";

    QtDialogTranslation();
    ~QtDialogTranslation() override;

    // Whether Qt's Russian catalogue is installed now.
    bool isInstalled() const { return m_installed; }
    // Where Debian's qt6-translations-l10n puts the catalogues.
    static QString catalogueDirectory();

private:
    void apply();

    QTranslator m_translator;
    bool m_loaded = false;
    bool m_installed = false;
};

} // namespace brivello
