#pragma once

#include "shell/BrivelloTheme.h"

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

namespace brivello {

// Paints a spectrogram's byte levels as coloured cells (8-band map, row 0 at the bottom) with
// a quarter grid on a rounded black plate. Draws no cells or grid unless the data holds
// exactly width × height bytes. Main thread.
class SpectrogramPreview : public QWidget
{
    Q_OBJECT
public:
    explicit SpectrogramPreview(QWidget *parent = nullptr);

    // Stored column after column: byte x · height + y is column x, row y.
    void setValues(std::vector<uint8_t> values, int width, int height);
    void setColorScheme(ColorScheme scheme);

    // The colour of one level; nothing for the quiet levels that stay undrawn.
    static std::optional<QColor> cellColor(uint8_t byte);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintCells(QPainter &painter, const QRectF &rect) const;

    std::vector<uint8_t> m_values;
    int m_columns = 0;
    int m_rows = 0;
    ColorScheme m_scheme = ColorScheme::dark;
};

} // namespace brivello
