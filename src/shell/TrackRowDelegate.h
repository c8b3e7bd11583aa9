#pragma once

#include "BrivelloTheme.h"
#include "TrackListRowDelegate.h"

#include <QHash>
#include <QUuid>

namespace brivello {

class PlaylistModel;

// Draws one element of the playlist: the folder heading when the row opens a folder, then the
// track row (heart, cover with the playing mark, title and artist, tempo, duration), every
// size scaled by the table density. Also the geometry the view hit-tests against. Main thread.
class TrackRowDelegate : public TrackListRowDelegate
{
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 30;
    static constexpr int kElementSpacing = 2;

    struct Geometry
    {
        QRect header;  // empty when the row opens no folder
        QRect row;     // the track row under the heading
        QRect heart;   // the favourite button
        QRect content; // the click, drag and drop area
        QRectF thumbnail;
    };

    explicit TrackRowDelegate(QObject *parent = nullptr);

    // The table density: a factor on every size of the row.
    void setDensity(double density) { m_density = density; }
    // Heart scale and opacity of a track whose un-favourite animation runs.
    void setHeartEffect(const QUuid &id, qreal scale, qreal opacity);
    void clearHeartEffect(const QUuid &id) { m_heartEffects.remove(id); }
    // The bounce's scale, drawn on top of the un-favourite shrink when both run.
    void setHeartBounce(const QUuid &id, qreal scale) { m_heartBounces.insert(id, scale); }
    void clearHeartBounce(const QUuid &id) { m_heartBounces.remove(id); }
    bool isHeartBouncing(const QUuid &id) const { return m_heartBounces.contains(id); }
    bool hasHeartEffect(const QUuid &id) const
    {
        return m_heartEffects.contains(id) || m_heartBounces.contains(id);
    }
    // The heart's scale and opacity while it animates; 1 and 1 at rest.
    std::pair<qreal, qreal> heartEffect(const QUuid &id) const
    {
        const auto effect = m_heartEffects.value(id, {1.0, 1.0});
        return {effect.first * m_heartBounces.value(id, 1.0), effect.second};
    }
    static int rowHeight(double density);
    static Geometry geometry(const QRect &itemRect, bool startsFolder, double density);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter,
               const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    void
    paintHeader(QPainter &painter, const QRect &rect, const QUrl &folder, ColorScheme scheme) const;
    void paintHeart(QPainter &painter,
                    const Geometry &g,
                    const PlaylistModel &model,
                    int row,
                    ColorScheme scheme) const;
    void paintContent(QPainter &painter,
                      const Geometry &g,
                      const PlaylistModel &model,
                      int row,
                      ColorScheme scheme) const;
    void paintTempo(QPainter &painter,
                    const QRectF &rect,
                    const PlaylistModel &model,
                    int row,
                    ColorScheme scheme) const;

    QHash<QUuid, std::pair<qreal, qreal>> m_heartEffects;
    QHash<QUuid, qreal> m_heartBounces;
};

} // namespace brivello
