#include "devtools.h"

#include <csignal>
#include <regex>

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <unistd.h>

namespace korval::webtest {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    if (done()) return true;
    QEventLoop loop;
    QTimer poll, deadline;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { loop.quit(); });
    poll.start(5);
    deadline.setSingleShot(true);
    deadline.start(static_cast<int>(limit.count()));
    loop.exec();
    return done();
}

Browser::Browser()
{
    // Its own process group, so that stopping it ends its helper processes too.
    process_.setChildProcessModifier([] { ::setpgid(0, 0); });
    QObject::connect(&process_, &QProcess::readyReadStandardError, &process_, [this] {
        const QByteArray bytes = process_.readAllStandardError();
        stderr_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    });
    QObject::connect(&socket_, &QWebSocket::textMessageReceived, &socket_, [this](const QString& text) {
        const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
        if (m.contains(QStringLiteral("id"))) replies_[m.value(QStringLiteral("id")).toInt()] = m;
    });
}

Browser::~Browser()
{
    Stop();
}

bool Browser::Fail(std::string why)
{
    error_ = std::move(why);
    return false;
}

bool Browser::Start(const QString& url, QSize window, std::chrono::milliseconds limit, const QString& program)
{
    if (!profile_.isValid()) return Fail("no temporary folder for the profile");
    const QStringList args = {
        QStringLiteral("--headless"),
        QStringLiteral("--no-sandbox"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--disable-quic"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--user-data-dir=") + profile_.path(),
        QStringLiteral("--remote-debugging-address=127.0.0.1"),
        QStringLiteral("--remote-debugging-port=0"),
        QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
        url,
    };
    process_.start(program, args);
    if (!process_.waitForStarted(20000)) return Fail("cannot start " + program.toStdString());

    // "DevTools listening on ws://127.0.0.1:PORT/devtools/browser/ID"
    static const std::regex kListening("DevTools listening on (ws://[^\\s]+)");
    std::smatch found;
    const bool listening = WaitUntil(
        [&] { return std::regex_search(stderr_, found, kListening) || process_.state() == QProcess::NotRunning; },
        limit);
    if (!listening || found.empty()) return Fail("Chromium gave no DevTools address; it wrote: " + stderr_);

    socket_.open(QUrl(QString::fromStdString(found[1].str())));
    if (!WaitUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; }, limit))
        return Fail("cannot reach Chromium's DevTools socket");

    QString target;
    const bool foundPage = WaitUntil(
        [&] {
            const auto targets = Send(QStringLiteral("Target.getTargets"), {}, false, limit);
            if (!targets) return true;
            for (const QJsonValue& t : targets->value(QStringLiteral("targetInfos")).toArray()) {
                const QJsonObject info = t.toObject();
                if (info.value(QStringLiteral("type")).toString() == QLatin1String("page"))
                    target = info.value(QStringLiteral("targetId")).toString();
            }
            return !target.isEmpty();
        },
        limit);
    if (!foundPage || target.isEmpty()) return Fail("Chromium shows no page: " + error_);
    const auto attached = Send(QStringLiteral("Target.attachToTarget"),
                               {{QStringLiteral("targetId"), target}, {QStringLiteral("flatten"), true}}, false, limit);
    if (!attached) return false;
    session_ = attached->value(QStringLiteral("sessionId")).toString();
    return !session_.isEmpty() || Fail("no DevTools session for the page");
}

void Browser::Stop()
{
    if (socket_.state() == QAbstractSocket::ConnectedState && process_.state() != QProcess::NotRunning)
        Send(QStringLiteral("Browser.close"), {}, false, 5s);
    socket_.abort();
    if (process_.state() == QProcess::NotRunning) return;
    if (!process_.waitForFinished(5000)) {
        ::kill(-static_cast<pid_t>(process_.processId()), SIGKILL);
        process_.waitForFinished(5000);
    }
}

std::optional<QJsonObject> Browser::Send(const QString& method, const QJsonObject& params, bool toPage,
                                         std::chrono::milliseconds limit)
{
    const int id = nextId_++;
    QJsonObject m{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    if (toPage) m[QStringLiteral("sessionId")] = session_;
    socket_.sendTextMessage(QString::fromUtf8(QJsonDocument(m).toJson(QJsonDocument::Compact)));
    if (!WaitUntil([&] { return replies_.count(id) > 0 || socket_.state() != QAbstractSocket::ConnectedState; },
                   limit)) {
        Fail(method.toStdString() + ": no answer in time");
        return std::nullopt;
    }
    if (!replies_.count(id)) {
        Fail(method.toStdString() + ": the DevTools socket closed");
        return std::nullopt;
    }
    const QJsonObject reply = replies_[id];
    replies_.erase(id);
    if (reply.contains(QStringLiteral("error"))) {
        Fail(method.toStdString() + ": " +
             QJsonDocument(reply.value(QStringLiteral("error")).toObject())
                 .toJson(QJsonDocument::Compact)
                 .toStdString());
        return std::nullopt;
    }
    return reply.value(QStringLiteral("result")).toObject();
}

std::optional<QJsonObject> Browser::Call(const QString& method, const QJsonObject& params,
                                         std::chrono::milliseconds limit)
{
    return Send(method, params, true, limit);
}

std::optional<QJsonValue> Browser::Evaluate(const QString& expression, std::chrono::milliseconds limit)
{
    const auto r = Call(QStringLiteral("Runtime.evaluate"),
                        {{QStringLiteral("expression"), expression},
                         {QStringLiteral("returnByValue"), true},
                         {QStringLiteral("awaitPromise"), true}},
                        limit);
    if (!r) return std::nullopt;
    if (r->contains(QStringLiteral("exceptionDetails"))) {
        Fail("script failed: " +
             QJsonDocument(r->value(QStringLiteral("exceptionDetails")).toObject()).toJson().toStdString());
        return std::nullopt;
    }
    return r->value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
}

bool Browser::WaitFor(const QString& expression, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const auto v = Evaluate(expression, 10s);
        if (v && v->toBool()) return true;
        WaitUntil([] { return false; }, 100ms);
    }
    return Fail("never true: " + expression.toStdString() + (error_.empty() ? "" : " (" + error_ + ")"));
}

bool Browser::Click(double x, double y, bool right)
{
    const QString button = right ? QStringLiteral("right") : QStringLiteral("left");
    for (const char* type : {"mousePressed", "mouseReleased"}) {
        const QJsonObject event{{QStringLiteral("type"), QLatin1String(type)},
                                {QStringLiteral("x"), x},
                                {QStringLiteral("y"), y},
                                {QStringLiteral("button"), button},
                                {QStringLiteral("buttons"), right ? 2 : 1},
                                {QStringLiteral("clickCount"), 1}};
        if (!Call(QStringLiteral("Input.dispatchMouseEvent"), event)) return false;
    }
    return true;
}

bool Browser::Screenshot(const QString& file)
{
    const auto r = Call(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}});
    if (!r) return false;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return Fail("cannot write " + file.toStdString());
    out.write(QByteArray::fromBase64(r->value(QStringLiteral("data")).toString().toLatin1()));
    return true;
}

}  // namespace korval::webtest
