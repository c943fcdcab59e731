#include "commissionhttpserver.h"

#include "callhandler.h"
#include "callqueue.h"
#include "connectionprovider.h"
#include "httpconnection.h"
#include "iolane.h"
#include "runningcalls.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl/context.hpp>

#include <atomic>
#include <thread>
#include <vector>

namespace commission {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

struct CommissionHttpServer::Private {
    Private(const HttpSettings &settings, ConnectionProvider &connections, LogSink log)
        : settings(settings), log(std::move(log)), connections(connections), handler(settings, connections, this->log),
          // The lanes may run calls themselves, never all at once: one is
          // always left to move bytes.
          queue(settings.threads, settings.queueLimit, settings.ioThreads - 1,
                [this](std::exception_ptr raised) { handler.lost(std::move(raised), "worker"); }),
          lanes(makeLanes(settings.ioThreads,
                          [this](std::exception_ptr raised) { handler.lost(std::move(raised), "I/O"); })),
          accepting([this](std::exception_ptr raised) { handler.lost(std::move(raised), "accept"); }),
          acceptor(accepting.io()), context{this->settings, handler, queue, calls}
    {
        handler.metrics().setGauges([this] {
            qint64 open = 0;
            for (const std::unique_ptr<IoLane> &lane : lanes)
                open += lane->connections();
            return ServerGauges{qint64(queue.waiting()), qint64(queue.running()), open};
        });
    }

    static std::vector<std::unique_ptr<IoLane>> makeLanes(int count, const IoLane::Lost &lost)
    {
        std::vector<std::unique_ptr<IoLane>> made;
        for (int i = 0; i < std::max(count, 1); ++i)
            made.push_back(std::make_unique<IoLane>(lost));
        return made;
    }

    void accept();
    IoLane::Ticket laneForNewConnection();
    bool quiet() const;
    void endRun();

    HttpSettings settings;
    LogSink log;
    ConnectionProvider &connections;
    RunningCalls calls;
    CallHandler handler;
    CallQueue queue;
    std::vector<std::unique_ptr<IoLane>> lanes;
    // Connections are accepted on a thread of their own, which no call ever
    // holds, and handed to a lane.
    IoLane accepting;
    tcp::acceptor acceptor;
    std::unique_ptr<asio::ssl::context> tls;
    ConnectionContext context;
    std::atomic<bool> stopped{false};
};

// The lane with the fewest connections, passing over a lane that runs a
// call: a lone client gets a thread of its own, and a connection never waits
// behind another's call. One lane at least runs none.
IoLane::Ticket CommissionHttpServer::Private::laneForNewConnection()
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        IoLane *fewest = nullptr;
        for (const std::unique_ptr<IoLane> &lane : lanes) {
            if (!lane->runsCall() && (!fewest || lane->connections() < fewest->connections()))
                fewest = lane.get();
        }
        // Taken only if it has not started a call meanwhile.
        if (fewest) {
            if (std::optional<IoLane::Ticket> taken = fewest->ticket())
                return std::move(*taken);
        }
    }
    return std::move(*lanes.front()->ticket(true));
}

// No connection left and no call running.
bool CommissionHttpServer::Private::quiet() const
{
    for (const std::unique_ptr<IoLane> &lane : lanes) {
        if (lane->connections() > 0)
            return false;
    }
    return calls.count() == 0;
}

void CommissionHttpServer::Private::endRun()
{
    accepting.stop();
    for (const std::unique_ptr<IoLane> &lane : lanes)
        lane->stop();
}

void CommissionHttpServer::Private::accept()
{
    acceptor.async_accept([this](const error_code &ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open())
            return;
        // Armed again first: what fails below loses this connection only. A
        // failed accept (no descriptors left, say) leaves the others served.
        accept();
        if (!ec) {
            error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            // The connection moves to its lane's loop and stays there,
            // counted there from now on by its ticket.
            IoLane::Ticket ticket = laneForNewConnection();
            IoLane &lane = ticket.lane();
            tcp::socket moved(lane.io());
            moved.assign(socket.local_endpoint(ignored).protocol(), socket.release(ignored), ignored);
            asio::post(lane.io(), [this, ticket = std::move(ticket), socket = std::move(moved)]() mutable {
                HttpConnection::start(std::move(socket), tls.get(), context, std::move(ticket));
            });
        }
    });
}

CommissionHttpServer::CommissionHttpServer(const HttpSettings &settings, ConnectionProvider &connections, LogSink log)
    : d(std::make_unique<Private>(settings, connections, std::move(log)))
{
}

CommissionHttpServer::~CommissionHttpServer()
{
    stop();
    d->queue.stop();
}

QString CommissionHttpServer::prepareTls()
{
    if (!d->settings.usesTls())
        return QString();
    try {
        auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
        context->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2
                             | asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1
                             | asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
        context->use_certificate_chain_file(d->settings.tlsCertificate.toStdString());
        context->use_private_key_file(d->settings.tlsKey.toStdString(), asio::ssl::context::pem);
        d->tls = std::move(context);
        return QString();
    } catch (const boost::system::system_error &error) {
        return QStringLiteral("Certificado ou chave TLS inutilizável (%1, %2): %3")
            .arg(d->settings.tlsCertificate, d->settings.tlsKey, QString::fromStdString(error.code().message()));
    }
}

std::optional<int> CommissionHttpServer::bind()
{
    error_code ec;
    const asio::ip::address address = asio::ip::make_address(
        d->settings.listenAddress == QLatin1String("localhost") ? "127.0.0.1" : d->settings.listenAddress.toStdString(),
        ec);
    if (ec)
        return std::nullopt;
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(d->settings.port));
    d->acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        d->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        d->acceptor.bind(endpoint, ec);
    if (!ec)
        d->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error_code ignored;
        d->acceptor.close(ignored);
        return std::nullopt;
    }
    return int(d->acceptor.local_endpoint().port());
}

void CommissionHttpServer::run()
{
    if (d->stopped || !d->acceptor.is_open())
        return;
    d->accept();
    std::vector<std::thread> others;
    others.emplace_back([this] { d->accepting.run(); });
    for (std::size_t i = 1; i < d->lanes.size(); ++i)
        others.emplace_back([lane = d->lanes[i].get()] { lane->run(); });
    d->lanes.front()->run();
    for (std::thread &thread : others)
        thread.join();
}

void CommissionHttpServer::stop()
{
    if (d->stopped.exchange(true))
        return;
    asio::post(d->accepting.io(), [this] {
        error_code ignored;
        d->acceptor.close(ignored);
    });
    // Running and queued calls finish first; their answers are lost only
    // when the I/O threads end before writing them.
    d->queue.stop();
    d->endRun();
}

CommissionHttpServer::StopOutcome CommissionHttpServer::drain(std::chrono::milliseconds timeout)
{
    using clock = std::chrono::steady_clock;
    StopOutcome outcome;
    if (d->stopped.exchange(true))
        return outcome;
    asio::post(d->accepting.io(), [this] {
        error_code ignored;
        d->acceptor.close(ignored);
    });
    for (const std::unique_ptr<IoLane> &lane : d->lanes)
        lane->drainConnections();
    // Connections end on their lanes' threads, calls on any: looked at a
    // few times a second rather than signalled from every place that ends one.
    const auto waitQuiet = [this](clock::time_point until) {
        while (!d->quiet() && clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return d->quiet();
    };
    if (!waitQuiet(clock::now() + timeout)) {
        const auto interrupt = [this](std::thread::id thread) { d->connections.interrupt(thread); };
        outcome.abandoned = d->calls.abandonAll(interrupt);
        const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count();
        for (const QString &call : std::as_const(outcome.abandoned))
            d->log(QStringLiteral("Encerramento: %1 ainda em curso no fim do prazo de %2 s; interrompida e desfeita.")
                       .arg(call)
                       .arg(seconds));
        // Interrupted, they fail and are answered; one that was committing
        // when the deadline came finishes and is answered too.
        const clock::time_point until = clock::now() + abandonGrace;
        while (!waitQuiet(std::min(until, clock::now() + std::chrono::milliseconds(100))) && clock::now() < until)
            d->calls.interruptAbandoned(interrupt);
        outcome.stuck = d->calls.count();
    }
    // With no call running, the workers end at once; a worker stuck in the
    // database would hold the stop forever and is left to the process's end.
    if (outcome.stuck == 0)
        d->queue.stop();
    d->endRun();
    return outcome;
}

bool CommissionHttpServer::hasRoom() const
{
    return d->queue.hasRoom();
}

void CommissionHttpServer::setCallProbe(std::function<void(const QString &method)> probe)
{
    d->handler.setCallProbe(std::move(probe));
}

}  // namespace commission
