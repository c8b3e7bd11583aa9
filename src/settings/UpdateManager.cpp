#include "UpdateManager.h"

#include "platform/BrivelloLocalization.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <cmath>
#include <coroutine>

namespace brivello {

const QUrl
    UpdateManager::kManifestURL(QStringLiteral("https://downloads.brivello.app/linux/latest.json"));

namespace {

const QString kFailureText = QStringLiteral("Не удалось проверить обновления.");

// Whole numbers a double holds exactly.
constexpr double kLargestExactInteger = 9007199254740992.0;

bool isOpenableDownload(const QUrl &url)
{
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

std::optional<QString> stringField(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<qint64> integerField(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number ||
        std::fabs(number) > kLargestExactInteger)
        return std::nullopt;
    return static_cast<qint64>(number);
}

// A piece that is not a plain signed decimal within 64 bits counts as 0.
qint64 versionPiece(const QString &piece)
{
    static const QRegularExpression kDecimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!kDecimal.match(piece).hasMatch())
        return 0;
    bool ok = false;
    const qint64 value = piece.toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

// One manifest request in flight. The check's coroutine waits on it; the reply's signals,
// the time-out or the manager's destruction complete it and resume the coroutine.
struct UpdateManager::Exchange
{
    QNetworkReply *reply = nullptr;
    ScheduledWork timeout;
    QByteArray body;
    std::coroutine_handle<> waiter;
    bool done = false;
    bool failed = false;
    bool abandoned = false;
};

// Holds a plain pointer: the checking coroutine owns the exchange, and GCC 12 may destroy
// temporaries of a co_await expression twice.
struct UpdateManager::ExchangeAwaiter
{
    Exchange *exchange;
    bool await_ready() const noexcept { return exchange->done; }
    void await_suspend(std::coroutine_handle<> handle) { exchange->waiter = handle; }
    void await_resume() const noexcept {}
};

UpdateManager::UpdateManager(Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_manifestURL(kManifestURL)
    , m_opener([](const QUrl &url) { QDesktopServices::openUrl(url); })
    , m_scheduler(scheduler)
    , m_network(new QNetworkAccessManager(this))
{}

UpdateManager::~UpdateManager()
{
    // Waiting checks end without touching the manager.
    const QList<std::shared_ptr<Exchange>> exchanges = m_exchanges;
    for (const std::shared_ptr<Exchange> &exchange : exchanges) {
        exchange->abandoned = true;
        complete(exchange, true);
    }
}

QString UpdateManager::currentVersion() const
{
#ifdef BRIVELLO_VERSION
    const QString version = QStringLiteral(BRIVELLO_VERSION);
#else
    const QString version;
#endif
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

QCoro::Task<> UpdateManager::checkForUpdates()
{
    const quint64 generation = ++m_generation;
    setState(State::checking);
    const std::shared_ptr<Exchange> exchange = startExchange();
    co_await ExchangeAwaiter{exchange.get()};
    if (exchange->abandoned || generation != m_generation)
        co_return;
    const std::optional<Release> release =
        exchange->failed ? std::nullopt : decodeRelease(exchange->body);
    if (!release) {
        setState(State::failed, std::nullopt, BrivelloLocalization::string(kFailureText));
        co_return;
    }
    if (isNewer(release->version, currentVersion()))
        setState(State::available, release);
    else
        setState(State::upToDate);
}

std::shared_ptr<UpdateManager::Exchange> UpdateManager::startExchange()
{
    auto exchange = std::make_shared<Exchange>();
    m_exchanges.append(exchange);
    QNetworkRequest request(m_manifestURL);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    exchange->reply = m_network->get(request);
    // Bounded reads: the body is collected here, never left to grow inside the reply.
    exchange->reply->setReadBufferSize(64 * 1024);
    Exchange *raw = exchange.get();
    connect(exchange->reply, &QNetworkReply::metaDataChanged, this, [raw] {
        const QVariant length = raw->reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaximumManifestSize)
            raw->reply->abort();
    });
    connect(exchange->reply, &QNetworkReply::readyRead, this, [this, raw] { receive(*raw); });
    connect(exchange->reply, &QNetworkReply::finished, this, [this, exchange] {
        receive(*exchange);
        const QNetworkReply *reply = exchange->reply;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool success = reply->error() == QNetworkReply::NoError && status.isValid() &&
                             status.toInt() >= 200 && status.toInt() <= 299;
        complete(exchange, !success || exchange->failed);
    });
    exchange->timeout =
        m_scheduler.after(m_timeout, [this, exchange] { complete(exchange, true); });
    return exchange;
}

void UpdateManager::receive(Exchange &exchange)
{
    if (exchange.done)
        return;
    exchange.body += exchange.reply->readAll();
    if (exchange.body.size() > kMaximumManifestSize) {
        exchange.failed = true;
        exchange.body.clear();
        exchange.reply->abort();
    }
}

void UpdateManager::complete(const std::shared_ptr<Exchange> &exchange, bool failed)
{
    if (exchange->done)
        return;
    exchange->done = true;
    exchange->failed = exchange->failed || failed;
    exchange->timeout.cancel();
    exchange->reply->disconnect(this);
    exchange->reply->abort();
    exchange->reply->deleteLater();
    m_exchanges.removeOne(exchange);
    if (exchange->waiter)
        std::exchange(exchange->waiter, {}).resume();
}

void UpdateManager::downloadAvailableRelease()
{
    if (m_availableRelease && isOpenableDownload(m_availableRelease->downloadURL) && m_opener)
        m_opener(m_availableRelease->downloadURL);
}

void UpdateManager::setState(State state, std::optional<Release> release, const QString &errorText)
{
    if (state != State::available)
        release.reset();
    const bool releaseChanged = release != m_availableRelease;
    const bool changed = releaseChanged || state != m_state || errorText != m_errorText;
    m_state = state;
    m_availableRelease = std::move(release);
    m_errorText = errorText;
    if (changed)
        emit stateChanged();
    if (releaseChanged)
        emit availableReleaseChanged();
}

std::optional<UpdateManager::Release> UpdateManager::decodeRelease(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const std::optional<QString> version = stringField(object, QStringLiteral("version"));
    const std::optional<qint64> build = integerField(object, QStringLiteral("build"));
    const std::optional<QString> link = stringField(object, QStringLiteral("downloadURL"));
    const std::optional<QString> notes = stringField(object, QStringLiteral("releaseNotes"));
    const std::optional<QString> published = stringField(object, QStringLiteral("publishedAt"));
    if (!version || !build || !link || !notes || !published)
        return std::nullopt;
    const QUrl downloadURL(*link, QUrl::StrictMode);
    if (!isOpenableDownload(downloadURL))
        return std::nullopt;
    return Release{*version, *build, downloadURL, *notes, *published};
}

bool UpdateManager::isNewer(const QString &candidate, const QString &reference)
{
    const QStringList ours = candidate.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const QStringList theirs = reference.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < qMax(ours.size(), theirs.size()); ++i) {
        const qint64 a = i < ours.size() ? versionPiece(ours[i]) : 0;
        const qint64 b = i < theirs.size() ? versionPiece(theirs[i]) : 0;
        if (a != b)
            return a > b;
    }
    return false;
}

} // namespace brivello
