// In English mode no shell text may fall back to its Russian key: every painted text, widget
// text, tooltip, accessible text and hover hint of every section is scanned for Cyrillic.
#include "ShellFixture.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ContextualHint.h"
#include "workspaces/MainWindowController.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPaintEngine>
#include <QRegularExpression>

namespace brivello {
namespace {

using Tab = LibraryStore::LibraryTab;

// Records the text of every text item painted on it.
class TextRecordingEngine : public QPaintEngine
{
public:
    QStringList texts;
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    // The base engine draws paths as polygons and polygons by calling the other overload.
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        texts.append(item.text());
    }
    Type type() const override { return QPaintEngine::User; }
};

class TextRecordingDevice : public QPaintDevice
{
public:
    explicit TextRecordingDevice(QSize size)
        : m_size(size)
    {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QStringList texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default: // dots per inch are 96, the pixel ratio 1
            return metric >= PdmDpiX && metric <= PdmPhysicalDpiY ? 96 : 1;
        }
    }

private:
    QSize m_size;
    mutable TextRecordingEngine m_engine;
};

bool hasCyrillic(const QString &text)
{
    static const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return kCyrillic.match(text).hasMatch();
}

// Every Cyrillic text the window shows or announces, each with where it was found.
QStringList cyrillicTexts(QWidget &window)
{
    QStringList found;
    auto check = [&found](const QString &where, const QString &text) {
        if (hasCyrillic(text))
            found.append(where + QStringLiteral(": ") + text);
    };
    TextRecordingDevice device(window.size());
    window.render(&device);
    for (const QString &text : device.texts())
        check(QStringLiteral("painted"), text);
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const QString name = QString::fromLatin1(widget->metaObject()->className());
        check(name + QStringLiteral(" tooltip"), widget->toolTip());
        check(name + QStringLiteral(" accessible name"), widget->accessibleName());
        check(name + QStringLiteral(" accessible description"), widget->accessibleDescription());
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            check(name + QStringLiteral(" text"), button->text());
        if (auto *label = qobject_cast<QLabel *>(widget))
            check(name + QStringLiteral(" text"), label->text());
        if (ContextualHint *hint = ContextualHint::of(widget)) {
            check(name + QStringLiteral(" hint title"),
                  BrivelloLocalization::string(hint->title()));
            check(name + QStringLiteral(" hint detail"),
                  BrivelloLocalization::string(hint->detail()));
        }
    }
    return found;
}

TEST_F(ShellFixture, EnglishModeShowsNoRussianTextInAnySectionOrSidebarState)
{
    Defaults::standard().set("appLanguage", "en");
    for (const bool collapsed : {false, true}) {
        Defaults::standard().set("sidebarCollapsed", collapsed);
        for (const char *appearance : {"dark", "light"}) {
            Defaults::standard().set("appAppearance", QString::fromLatin1(appearance));
            for (Tab tab : allLibraryTabs()) {
                window().controller().activateTab(tab);
                QCoreApplication::processEvents();
                EXPECT_EQ(cyrillicTexts(window()), QStringList())
                    << "section " << int(tab) << ", collapsed " << collapsed << ", " << appearance;
            }
        }
    }
}

TEST_F(ShellFixture, TextScannerFindsRussianTextInRussianMode)
{
    const QStringList found = cyrillicTexts(window());
    EXPECT_TRUE(found.contains(QStringLiteral("painted: ПЛЕЙЛИСТ")))
        << found.join('\n').toStdString();
}

} // namespace
} // namespace brivello
