#include "QualityAnalysisDetail.h"

#include "QualityAnalysisRow.h"
#include "SpekSpectrogram.h"
#include "analysis/AudioQualityVerdict.h"
#include "platform/BrivelloLocalization.h"
#include "shell/Artwork.h"
#include "shell/BrivelloSymbols.h"
#include "shell/BrivelloTheme.h"
#include "shell/ProgressSpinner.h"
#include "shell/ShellEvents.h"
#include "workspaces/ui/SectionRowStyle.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

namespace {

enum Page { resultPage, analyzingPage, failurePage, notAnalysedPage, noTrackPage };

QLabel *label(TextStyle style, QFont::Weight weight, QWidget *parent, bool digits = false)
{
    auto *l = new QLabel(parent);
    const QFont font = BrivelloTheme::font(style, weight);
    l->setFont(digits ? SectionRowStyle::monospacedDigits(font) : font);
    return l;
}

void setColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
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
    m_cover = new Artwork(QImage(), 42, m_header);
    header->addWidget(m_cover);
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
    m_pages->insertWidget(resultPage, buildResultPage());
    m_pages->insertWidget(analyzingPage, buildAnalyzingPage());
    m_pages->insertWidget(failurePage, buildFailurePage());
    m_notAnalysed = new WorkspaceEmptyState(QStringLiteral("waveform.path.ecg"),
                                            QStringLiteral("Выберите файл"),
                                            QStringLiteral("Для выбранного файла появится "
                                                           "спектрограмма."),
                                            this);
    m_pages->insertWidget(notAnalysedPage, m_notAnalysed);
    m_noTrack = new WorkspaceEmptyState(
        QStringLiteral("waveform.path.ecg"), QStringLiteral("Выберите файл"), QString(), this);
    m_pages->insertWidget(noTrackPage, m_noTrack);

    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &QualityAnalysisDetail::restyle);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &QualityAnalysisDetail::refresh);
    restyle();
}

QWidget *QualityAnalysisDetail::buildResultPage()
{
    auto *page = new QWidget(this);
    auto *result = new QVBoxLayout(page);
    result->setContentsMargins(0, 0, 0, 0);
    result->setSpacing(14);
    m_spectrogram = new SpekSpectrogram(page);
    m_spectrogram->setMinimumHeight(180);
    result->addWidget(m_spectrogram, 1);
    auto *verdictLine = new QHBoxLayout;
    verdictLine->setSpacing(6);
    m_verdictSymbol = new QLabel(page);
    m_verdict = label(TextStyle::subheadline, QFont::DemiBold, page);
    m_cutoff = label(TextStyle::caption, QFont::Normal, page, true);
    verdictLine->addWidget(m_verdictSymbol);
    verdictLine->addWidget(m_verdict);
    verdictLine->addStretch(1);
    verdictLine->addWidget(m_cutoff);
    result->addLayout(verdictLine);
    auto *cells = new QHBoxLayout;
    cells->setSpacing(14);
    for (int i = 0; i < 6; ++i) {
        auto *cell = new QVBoxLayout;
        cell->setSpacing(2);
        m_parameterLabels.append(label(TextStyle::caption2, QFont::Bold, page));
        m_parameterValues.append(label(TextStyle::caption, QFont::Normal, page, true));
        cell->addWidget(m_parameterLabels.last());
        cell->addWidget(m_parameterValues.last());
        cells->addLayout(cell);
    }
    cells->addStretch(1);
    result->addLayout(cells);
    m_note = label(TextStyle::caption, QFont::Normal, page);
    m_note->setWordWrap(true);
    result->addWidget(m_note);
    return page;
}

QWidget *QualityAnalysisDetail::buildAnalyzingPage()
{
    auto *page = new QWidget(this);
    auto *row = new QHBoxLayout(page);
    row->setSpacing(8);
    row->addStretch(1);
    row->addWidget(new ProgressSpinner(20, page));
    m_analyzing = label(TextStyle::body, QFont::Normal, page);
    row->addWidget(m_analyzing);
    row->addStretch(1);
    return page;
}

QWidget *QualityAnalysisDetail::buildFailurePage()
{
    auto *page = new QWidget(this);
    auto *column = new QVBoxLayout(page);
    column->addStretch(1);
    column->addWidget(new WorkspaceEmptyState(QStringLiteral("exclamationmark.triangle"),
                                              QStringLiteral("Файл не удалось проанализировать"),
                                              QString(),
                                              page));
    m_failureReason = label(TextStyle::callout, QFont::Normal, page);
    m_failureReason->setAlignment(Qt::AlignCenter);
    m_failureReason->setWordWrap(true);
    column->addWidget(m_failureReason);
    column->addStretch(1);
    return page;
}

void QualityAnalysisDetail::setInputs(const std::optional<Track> &track,
                                      const std::shared_ptr<const AudioQualityAnalysis> &result,
                                      bool isAnalyzing,
                                      const QString &failure)
{
    m_track = track;
    m_result = result;
    m_isAnalyzing = isAnalyzing;
    m_failure = failure;
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

QString QualityAnalysisDetail::verdictText() const
{
    return m_result ? BrivelloLocalization::string(m_result->verdict.rawValue()) : QString();
}

QString QualityAnalysisDetail::failureText() const
{
    return m_track && !m_result && !m_isAnalyzing ? BrivelloLocalization::string(m_failure)
                                                  : QString();
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

QString QualityAnalysisDetail::pageName() const
{
    static const QStringList names = {QStringLiteral("result"),
                                      QStringLiteral("analyzing"),
                                      QStringLiteral("failure"),
                                      QStringLiteral("empty"),
                                      QStringLiteral("empty")};
    return names.value(m_pages->currentIndex());
}

void QualityAnalysisDetail::refresh()
{
    m_header->setVisible(m_track.has_value());
    if (!m_track) {
        m_pages->setCurrentIndex(noTrackPage);
        return;
    }
    m_cover->setImage(m_track->artwork);
    m_title->setText(displayTitle(*m_track));
    m_artist->setText(displayArtist(*m_track));
    m_format->setText(m_track->format);
    if (m_result) {
        showResult();
        m_pages->setCurrentIndex(resultPage);
    } else if (m_isAnalyzing) {
        m_analyzing->setText(BrivelloLocalization::string(QStringLiteral("Строим спектрограмму…")));
        m_pages->setCurrentIndex(analyzingPage);
    } else if (!m_failure.isEmpty()) {
        m_failureReason->setText(failureText());
        m_pages->setCurrentIndex(failurePage);
    } else {
        m_pages->setCurrentIndex(notAnalysedPage);
    }
}

void QualityAnalysisDetail::showResult()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor color = QualityAnalysisRow::verdictColor(m_result->verdict, scheme);
    m_spectrogram->setResult(m_result, m_track->duration);
    m_verdictSymbol->setPixmap(BrivelloSymbols::pixmap(
        QStringLiteral("waveform.path.ecg"), 13, color, scheme, devicePixelRatioF()));
    m_verdict->setText(verdictText());
    setColor(m_verdict, color);
    m_cutoff->setText(cutoffText());
    const auto cells = parameterTexts();
    for (int i = 0; i < cells.size(); ++i) {
        m_parameterLabels[i]->setText(cells[i].first);
        m_parameterValues[i]->setText(cells[i].second);
    }
    m_note->setText(m_result->note.text());
}

void QualityAnalysisDetail::restyle()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor secondary = BrivelloTheme::secondary(scheme);
    setColor(m_title, BrivelloTheme::primary(scheme));
    for (QLabel *l : {m_artist, m_format, m_cutoff, m_note, m_analyzing, m_failureReason})
        setColor(l, secondary);
    for (QLabel *l : std::as_const(m_parameterValues))
        setColor(l, secondary);
    for (QLabel *l : std::as_const(m_parameterLabels))
        setColor(l, SectionRowStyle::tertiary(scheme));
    refresh();
    update();
}

void QualityAnalysisDetail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()), 16, 16);
    painter.fillPath(panel, light ? blackA(0.045) : whiteA(0.055));
}

} // namespace brivello
