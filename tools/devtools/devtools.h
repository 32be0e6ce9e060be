#pragma once

// A headless Chromium driven over its DevTools protocol (JSON over a WebSocket), for the tests
// and measuring programs of the web view: load a page, run script in it, click, take a picture.
// Every wait has a limit.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QWebSocket>

namespace korval::webtest {

using namespace std::chrono_literals;

// Runs the event loop until `done` holds or `limit` has passed; true when it holds.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

class Browser {
public:
    Browser();
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Starts Chromium (`program`, else "chromium") showing `url` in a window of `window` pixels,
    // with a fresh profile, and attaches to the page. False with the reason in Error().
    bool Start(const QString& url, QSize window, std::chrono::milliseconds limit = 60s,
               const QString& program = QStringLiteral("chromium"));
    void Stop();

    // A DevTools command to the page; its result, or nullopt (reason in Error()).
    std::optional<QJsonObject> Call(const QString& method, const QJsonObject& params = {},
                                    std::chrono::milliseconds limit = 20s);
    // The value of a script expression in the page (promises awaited).
    std::optional<QJsonValue> Evaluate(const QString& expression, std::chrono::milliseconds limit = 20s);
    // Evaluates `expression` until it is true.
    bool WaitFor(const QString& expression, std::chrono::milliseconds limit);
    // A mouse press and release at (x, y) CSS pixels of the viewport.
    bool Click(double x, double y, bool right = false);
    // A PNG of the viewport.
    bool Screenshot(const QString& file);

    qint64 ProcessId() const { return process_.processId(); }
    const std::string& Error() const { return error_; }

private:
    bool Fail(std::string why);
    std::optional<QJsonObject> Send(const QString& method, const QJsonObject& params, bool toPage,
                                    std::chrono::milliseconds limit);

    QProcess process_;
    QTemporaryDir profile_;
    QWebSocket socket_;
    QString session_;
    int nextId_ = 1;
    std::map<int, QJsonObject> replies_;
    std::string stderr_;
    std::string error_;
};

}  // namespace korval::webtest
