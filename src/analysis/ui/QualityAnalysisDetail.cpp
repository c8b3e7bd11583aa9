#include "QualityAnalysisDetail.h"

#include "SpekSpectrogram.h"
#include "analysis/AudioQualityVerdict.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

namespace {

QLabel *label(TextStyle style, QFont::Weight weight, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setFont(BrivelloTheme::font(style, weight));
    return l;
}

} // namespace

QString QualityAnalysisDetail::displayTitle(const Track &track)
{
    return track.tags.title.isEmpty() ? QFileInfo(track.url.toLocalFile()).completeBaseName()
                                      : track.tags.title;
}

QString QualityAnalysisDetail::displayArtist(const Track &track)
{
    return track.tags.artist.isEmpty()
               ? BrivelloLocalization::string(QStringLiteral("Неизвестный исполнитель"))
               : track.tags.artist;
}

QualityAnalysisDetail::QualityAnalysisDetail(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    m_header = new QWidget(this);
    auto *header = new QHBoxLayout(m_header);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(10);
    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    m_title = label(TextStyle::headline, QFont::DemiBold, m_header);
    m_artist = label(TextStyle::caption, QFont::Normal, m_header);
    names->addWidget(m_title);
    names->addWidget(m_artist);
    header->addLayout(names, 1);
    m_format = label(TextStyle::caption, QFont::Medium, m_header);
    header->addWidget(m_format);
    column->addWidget(m_header);

    m_pages = new QStackedLayout;
    column->addLayout(m_pages, 1);

    auto *resultPage = new QWidget(this);
    auto *result = new QVBoxLayout(resultPage);
    result->setContentsMargins(0, 0, 0, 0);
    result->setSpacing(14);
    m_spectrogram = new SpekSpectrogram(resultPage);
    m_spectrogram->setMinimumHeight(180);
    result->addWidget(m_spectrogram, 1);
    auto *verdictLine = new QHBoxLayout;
    m_verdict = label(TextStyle::subheadline, QFont::DemiBold, resultPage);
    m_cutoff = label(TextStyle::caption, QFont::Normal, resultPage);
    verdictLine->addWidget(m_verdict);
    verdictLine->addStretch(1);
    verdictLine->addWidget(m_cutoff);
    result->addLayout(verdictLine);
    auto *cells = new QHBoxLayout;
    cells->setSpacing(14);
    for (int i = 0; i < 6; ++i) {
        auto *cell = new QVBoxLayout;
        cell->setSpacing(2);
        m_parameterLabels.append(label(TextStyle::caption2, QFont::Bold, resultPage));
        m_parameterValues.append(label(TextStyle::caption, QFont::Normal, resultPage));
        cell->addWidget(m_parameterLabels.last());
        cell->addWidget(m_parameterValues.last());
        cells->addLayout(cell);
    }
    cells->addStretch(1);
    result->addLayout(cells);
    m_note = label(TextStyle::caption, QFont::Normal, resultPage);
    m_note->setWordWrap(true);
    result->addWidget(m_note);
    m_pages->addWidget(resultPage);

    auto *waiting = new QLabel(this);
    waiting->setAlignment(Qt::AlignCenter);
    waiting->setObjectName(QStringLiteral("analyzing"));
    m_pages->addWidget(waiting);

    auto *emptyPage = new QWidget(this);
    auto *empty = new QVBoxLayout(emptyPage);
    empty->addStretch(1);
    m_emptyTitle = label(TextStyle::title3, QFont::DemiBold, emptyPage);
    m_emptyMessage = label(TextStyle::callout, QFont::Normal, emptyPage);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    m_emptyMessage->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptyTitle);
    empty->addWidget(m_emptyMessage);
    empty->addStretch(1);
    m_pages->addWidget(emptyPage);
    refresh();
}

void QualityAnalysisDetail::setInputs(const std::optional<Track> &track,
                                      const std::shared_ptr<const AudioQualityAnalysis> &result,
                                      bool isAnalyzing)
{
    m_track = track;
    m_result = result;
    m_isAnalyzing = isAnalyzing;
    refresh();
}

QString QualityAnalysisDetail::cutoffText() const
{
    if (!m_result)
        return {};
    return BrivelloLocalization::format(QStringLiteral("Срез ~%d Гц · %d Hz"),
                                        int(m_result->cutoffHz / 100) * 100,
                                        int(m_result->sampleRate));
}

QList<std::pair<QString, QString>> QualityAnalysisDetail::parameterTexts() const
{
    if (!m_result || !m_track)
        return {};
    const AudioQualityAnalysis &r = *m_result;
    const auto t = [](const char *key) {
        return BrivelloLocalization::string(QString::fromUtf8(key));
    };
    return {{t("Кодек"), m_track->format},
            {t("Частота"), QString::number(qint64(r.sampleRate)) + QStringLiteral(" Hz")},
            {t("Каналы"), QString::number(r.channelCount)},
            {t("DFT"), QString::number(r.dftWindowSize)},
            {t("Диапазон"), QString::number(qint64(r.densityRangeDB)) + QStringLiteral(" dB")},
            {t("Битрейт"), m_track->bitRateText()}};
}

void QualityAnalysisDetail::refresh()
{
    m_header->setVisible(m_track.has_value());
    if (m_track) {
        m_title->setText(displayTitle(*m_track));
        m_artist->setText(displayArtist(*m_track));
        m_format->setText(m_track->format);
    }
    if (m_track && m_result) {
        m_spectrogram->setResult(*m_result, m_track->duration);
        m_verdict->setText(BrivelloLocalization::string(m_result->verdict.rawValue()));
        m_cutoff->setText(cutoffText());
        const auto cells = parameterTexts();
        for (int i = 0; i < cells.size(); ++i) {
            m_parameterLabels[i]->setText(cells[i].first);
            m_parameterValues[i]->setText(cells[i].second);
        }
        m_note->setText(m_result->note);
        m_pages->setCurrentIndex(0);
    } else if (m_track && m_isAnalyzing) {
        static_cast<QLabel *>(m_pages->widget(1))
            ->setText(BrivelloLocalization::string(QStringLiteral("Строим спектрограмму…")));
        m_pages->setCurrentIndex(1);
    } else {
        m_emptyTitle->setText(BrivelloLocalization::string(QStringLiteral("Выберите файл")));
        m_emptyMessage->setText(m_track ? BrivelloLocalization::string(QStringLiteral(
                                              "Для выбранного файла появится спектрограмма."))
                                        : QString());
        m_pages->setCurrentIndex(2);
    }
}

void QualityAnalysisDetail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const bool light = palette().color(QPalette::Window).lightness() > 128;
    painter.setBrush(light ? QColor(0, 0, 0, 11) : QColor(255, 255, 255, 14));
    painter.drawRoundedRect(QRectF(rect()), 16, 16);
}

} // namespace brivello
