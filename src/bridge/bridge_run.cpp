#include "bridge_run.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include "bridge_sbs.h"
#include "link/protocol.h"
#include "link/server.h"
#include "link_tool.h"

namespace korval::bridge {
namespace {

constexpr int kReceiveBuffer = 4 * 1024 * 1024;  // bytes the system may queue for a burst of datagrams

QString Q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string Describe(const SourceSetting& s)
{
    return std::string(SourceName(s.source)) + (s.source == Source::Sbs ? " from " : " on ") + s.address.Text();
}

}  // namespace

struct Bridge::Impl {
    struct Input {
        SourceSetting setting;
        Counters counters;
        QUdpSocket* udp = nullptr;
        QTcpSocket* tcp = nullptr;
        QTimer* retry = nullptr;
        std::unique_ptr<SbsConverter> sbs;
        bool complained = false;  // "cannot reach" is said once until the server answers
    };

    BridgeOptions options;
    std::ostream& err;
    std::filesystem::path folder;
    QElapsedTimer steady;
    QTimer reportTimer;
    std::vector<Input> inputs;  // not resized after construction: the handlers hold references
    std::map<std::string, std::unique_ptr<link::LinkServer>> servers;  // by folded topic
    std::string buffer;
    std::vector<Message> messages;
    // Owns the sockets and timers and is the context of every handler. Declared last, so it goes
    // first: no handler can run on a member already gone.
    QObject context;

    Impl(BridgeOptions o, std::ostream& e) : options(std::move(o)), err(e)
    {
        for (const SourceSetting& s : options.sources)
            inputs.push_back({s, {}, nullptr, nullptr, nullptr, nullptr, false});
        steady.start();
    }

    std::string_view TopicOf(const Input& in, Form form) const
    {
        if (form == Form::Airmaster && !in.setting.topic.empty()) return in.setting.topic;
        return DefaultTopic(form);
    }

    std::vector<Form> FormsOf(Source source) const
    {
        if (source == Source::Dumphfdl) return {Form::Hfdl, Form::HfAcars};
        return {Form::Airmaster};
    }

    double Steady() const { return static_cast<double>(steady.elapsed()) / 1000.0; }
    static std::int64_t Now() { return QDateTime::currentSecsSinceEpoch(); }

    void Publish(Input& in)
    {
        for (const Message& m : messages) {
            auto it = servers.find(link::FoldCase(TopicOf(in, m.form)));
            if (it != servers.end() && it->second->SetValue(kItem, m.text)) {
                ++in.counters.published;
            } else {
                in.counters.Drop("refused by the link");
            }
        }
        messages.clear();
    }

    void ReadDatagrams(Input& in)
    {
        while (in.udp->hasPendingDatagrams()) {
            const qint64 size = std::max<qint64>(in.udp->pendingDatagramSize(), 0);
            buffer.resize(static_cast<std::size_t>(size));
            const qint64 n = in.udp->readDatagram(buffer.data(), size);
            if (n < 0) break;
            buffer.resize(static_cast<std::size_t>(n));
            ConvertDatagram(in.setting.source, buffer, Now(), messages, in.counters);
            Publish(in);
        }
    }

    void ReadStream(Input& in)
    {
        const QByteArray bytes = in.tcp->readAll();
        in.sbs->Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), Steady(), Now(),
                     messages, in.counters);
        Publish(in);
    }

    bool OpenUdp(Input& in)
    {
        QHostAddress address;
        const std::string& host = in.setting.address.host;
        if (host == "localhost") {
            address = QHostAddress(QHostAddress::LocalHost);
        } else if (!address.setAddress(Q(host))) {
            err << "korval-link: cannot listen on " << in.setting.address.Text() << ": not an IP address\n";
            return false;
        }
        in.udp = new QUdpSocket(&context);
        // Not shared: a second program on the port would take the datagrams unseen.
        if (!in.udp->bind(address, in.setting.address.port, QAbstractSocket::DontShareAddress)) {
            err << "korval-link: cannot listen on " << in.setting.address.Text() << ": "
                << in.udp->errorString().toStdString() << '\n';
            return false;
        }
        in.udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
        QObject::connect(in.udp, &QUdpSocket::readyRead, &context, [this, &in] { ReadDatagrams(in); });
        return true;
    }

    void OpenTcp(Input& in)
    {
        in.sbs = std::make_unique<SbsConverter>(SbsOptions{options.sbsEvery});
        in.tcp = new QTcpSocket(&context);
        in.retry = new QTimer(&context);
        in.retry->setSingleShot(true);
        in.retry->setInterval(static_cast<int>(options.sbsRetry.count()));
        const double retrySeconds = static_cast<double>(options.sbsRetry.count()) / 1000.0;
        auto connectNow = [this, &in] { in.tcp->connectToHost(Q(in.setting.address.host), in.setting.address.port); };
        QObject::connect(in.retry, &QTimer::timeout, &context, connectNow);
        QObject::connect(in.tcp, &QTcpSocket::connected, &context, [this, &in] {
            err << "korval-link: " << Describe(in.setting) << ": connected\n";
            in.complained = false;
        });
        QObject::connect(in.tcp, &QTcpSocket::readyRead, &context, [this, &in] { ReadStream(in); });
        QObject::connect(in.tcp, &QTcpSocket::disconnected, &context, [this, &in, retrySeconds] {
            ReadStream(in);
            in.sbs->Close(in.counters);
            err << "korval-link: " << Describe(in.setting) << ": connection closed; trying again in " << retrySeconds
                << " s\n";
            in.retry->start();
        });
        QObject::connect(
            in.tcp, &QAbstractSocket::errorOccurred, &context, [this, &in, retrySeconds](QAbstractSocket::SocketError) {
                if (in.tcp->state() != QAbstractSocket::UnconnectedState) return;
                if (!in.complained) {
                    err << "korval-link: " << Describe(in.setting) << ": cannot connect ("
                        << in.tcp->errorString().toStdString() << "); trying again every " << retrySeconds << " s\n";
                    in.complained = true;
                }
                in.retry->start();
            });
        connectNow();
    }

    Started Serve()
    {
        for (const Input& in : inputs) {
            for (Form form : FormsOf(in.setting.source)) {
                const std::string_view topic = TopicOf(in, form);
                auto& server = servers[link::FoldCase(topic)];
                if (server) continue;  // sources of one form share its server
                server = std::make_unique<link::LinkServer>();
                if (!folder.empty()) server->SetFolder(folder);
                server->AddItem(kItem);
                if (!server->Listen(topic)) {
                    err << "korval-link: cannot serve " << topic << ": " << server->LastReason() << '\n';
                    return Started::TopicTaken;
                }
            }
        }
        return Started::Ok;
    }
};

Bridge::Bridge(BridgeOptions options, std::ostream& err) : impl_(std::make_unique<Impl>(std::move(options), err)) {}

Bridge::~Bridge() = default;

void Bridge::SetLinkFolder(std::filesystem::path folder)
{
    impl_->folder = std::move(folder);
}

Bridge::Started Bridge::Start()
{
    // The sources first: once a topic is served, what a decoder sends is not lost for want of a socket.
    for (Impl::Input& in : impl_->inputs) {
        if (in.setting.source != Source::Sbs && !impl_->OpenUdp(in)) return Started::SocketFailed;
    }
    const Started served = impl_->Serve();
    if (served != Started::Ok) return served;
    for (Impl::Input& in : impl_->inputs) {
        if (in.setting.source == Source::Sbs) impl_->OpenTcp(in);
    }
    impl_->reportTimer.setInterval(static_cast<int>(impl_->options.report.count()));
    QObject::connect(&impl_->reportTimer, &QTimer::timeout, &impl_->context, [this] { Report(); });
    impl_->reportTimer.start();
    return Started::Ok;
}

void Bridge::Report(std::string_view when)
{
    for (const Impl::Input& in : impl_->inputs) {
        impl_->err << "korval-link: " << (when.empty() ? "" : std::string(when) + ": ") << Describe(in.setting) << ": "
                   << in.counters.Summary() << '\n';
    }
    impl_->err.flush();
}

std::size_t Bridge::SourceCount() const
{
    return impl_->inputs.size();
}

const Counters& Bridge::CountersOf(std::size_t source) const
{
    return impl_->inputs.at(source).counters;
}

int Bridge::AdvisedCount(std::string_view topic) const
{
    auto it = impl_->servers.find(link::FoldCase(topic));
    return it == impl_->servers.end() ? 0 : it->second->AdvisedCount(kItem);
}

std::uint16_t Bridge::LocalPort(std::size_t source) const
{
    const Impl::Input& in = impl_->inputs.at(source);
    return in.udp ? in.udp->localPort() : 0;
}

int BridgeMain(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + std::min(argc, 2), argv + argc);
    const ParsedBridgeArgs parsed = ParseBridgeArgs(args);
    if (parsed.help) {
        std::cout << BridgeHelp();
        return linktool::kExitOk;
    }
    if (!parsed.error.empty()) {
        std::cerr << "korval-link: " << parsed.error << '\n' << BridgeHelp().substr(0, BridgeHelp().find("\n\n") + 1);
        return linktool::kExitUsage;
    }
    QCoreApplication app(argc, argv);
    linktool::QuitOnSignals();  // before any socket: from then on a signal ends the bridge cleanly
    Bridge bridge(parsed.options, std::cerr);
    switch (bridge.Start()) {
        case Bridge::Started::SocketFailed:
            return linktool::kExitFailed;
        case Bridge::Started::TopicTaken:
            return linktool::kExitNoLink;
        case Bridge::Started::Ok:
            break;
    }
    const int status = QCoreApplication::exec();
    bridge.Report("at exit");
    return status;
}

}  // namespace korval::bridge
