#pragma once

#include <QAbstractButton>
#include <QList>
#include <QUrl>
#include <functional>

class QDropEvent;
class QMimeData;
class QPainter;

namespace brivello {

class MotionValue;

// One section row of the sidebar: symbol, title and count, hover and drop-target states.
// A click activates the section; dropped files go to `receiveURLs` with the section.
class SidebarSectionButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kHoverFadeMs = 140;
    static constexpr int kSelectionFadeMs = 200;

    SidebarSectionButton(const QString &titleKey, const QString &icon, QWidget *parent = nullptr);

    void setCount(int count);
    void setSelected(bool selected);
    // `expansion` runs from 0 (collapsed: icon centred, no texts) to 1 (expanded); in between
    // the icon slides and the title and count fade.
    void setExpansion(double expansion, double rowHeight, double padding, double iconSpacing);
    void setReceiveURLs(std::function<void(const QList<QUrl> &)> receive)
    {
        m_receiveURLs = std::move(receive);
    }

    int count() const { return m_count; }
    bool isSelected() const { return m_selected; }
    bool isDropTarget() const { return m_dropTarget; }
    bool isHovering() const { return m_hovering; }
    MotionValue *hoverMotion() const { return m_hoverMotion; }
    MotionValue *dropMotion() const { return m_dropMotion; }
    // The title's weight and the row's colours between resting (0) and selected (1).
    MotionValue *selectionMotion() const { return m_selectionMotion; }
    double expansion() const { return m_expansion; }
    QString titleText() const { return m_title; }
    // The dropped items that are local files, in their order.
    static QList<QUrl> fileURLs(const QMimeData *mime);
    // Accepts a file drop as a copy whatever the source proposed: a source told "moved"
    // may delete the originals.
    static void acceptAsCopy(QDropEvent *event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void retranslate();
    void setDropTarget(bool value);
    QColor primaryForeground() const;
    void paintTitle(QPainter &painter, const QRectF &rect, const QColor &color) const;

    QString m_titleKey;
    QString m_title;
    QString m_icon;
    int m_count = 0;
    bool m_selected = false;
    double m_expansion = 1;
    bool m_hovering = false;
    bool m_dropTarget = false;
    MotionValue *m_hoverMotion;
    MotionValue *m_dropMotion;
    MotionValue *m_selectionMotion;
    double m_padding = 12;
    double m_iconSpacing = 10;
    std::function<void(const QList<QUrl> &)> m_receiveURLs;
};

} // namespace brivello
