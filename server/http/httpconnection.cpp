#include "httpconnection.h"

#include "callhandler.h"
#include "callqueue.h"
#include "httpsettings.h"
#include "iolane.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <memory>
#include <optional>

namespace commission {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using error_code = beast::error_code;

// A connection that ends after its answer: the client may still be sending
// a body nobody reads (a refused secret, a body over the limit). Reading it
// away for a moment, into a small buffer that is emptied each time, before
// closing keeps the kernel from resetting the connection under the answer,
// so a client that writes its whole body before reading still gets it.
constexpr std::size_t drainBytes = 64 << 20;
constexpr std::chrono::seconds drainTime{2};
constexpr std::size_t firstRead = 4096;

std::string_view view(beast::string_view text)
{
    return {text.data(), text.size()};
}

QString qText(beast::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(std::min<std::size_t>(text.size(), 200)));
}

QString originOf(const tcp::socket &socket)
{
    error_code ec;
    const tcp::endpoint peer = socket.remote_endpoint(ec);
    return ec ? QString() : QString::fromStdString(peer.address().to_string());
}

// Whether the Transfer-Encoding, if any, is the one a request may carry.
bool acceptableTransferEncoding(const http::request_parser<http::string_body>::value_type &request)
{
    const auto found = request.find(http::field::transfer_encoding);
    if (found == request.end())
        return true;
    return beast::iequals(found->value(), "chunked") && request.count(http::field::transfer_encoding) == 1;
}

int statusOfReadError(const error_code &ec)
{
    if (ec == http::error::body_limit || ec == http::error::buffer_overflow)
        return 413;
    if (ec == http::error::header_limit)
        return 431;
    return 400;
}

bool isDisconnect(const error_code &ec)
{
    return ec == http::error::end_of_stream || ec == asio::error::eof || ec == asio::error::connection_reset
           || ec == asio::error::operation_aborted || ec == asio::ssl::error::stream_truncated
           || ec == beast::error::timeout;
}

template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>>, public IoLane::Drainable {
public:
    template <class... StreamArguments>
    Connection(const ConnectionContext &context, IoLane::Ticket ticket, QString origin, StreamArguments &&...arguments)
        : m_context(context), m_ticket(std::move(ticket)), m_lane(m_ticket.lane()), m_origin(std::move(origin)),
          m_stream(std::forward<StreamArguments>(arguments)...)
    {
    }
    ~Connection() override
    {
        if (m_tracked)
            m_lane.untrack(*m_tracked);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void start()
    {
        m_tracked = m_lane.track(this->weak_from_this());
        // Accepted just before the server began to stop.
        if (m_lane.draining())
            return closeNow();
        lowest().expires_after(m_context.settings.headerTimeout);
        if constexpr (isTls) {
            m_stream.async_handshake(asio::ssl::stream_base::server,
                                     [self = this->shared_from_this()](const error_code &ec) {
                                         if (ec)
                                             return self->closeNow();
                                         self->awaitRequest();
                                     });
        } else {
            // Writes of the answer fall back to the asynchronous path
            // instead of blocking when the socket's buffer is full.
            error_code ignored;
            lowest().socket().non_blocking(true, ignored);
            awaitRequest();
        }
    }

    // On the lane's thread, when the server stops.
    void serverStopping() override
    {
        if (m_phase == Phase::Waiting || m_phase == Phase::Reading)
            closeNow();
    }

private:
    // Waiting: for the first byte of a request; Reading: the handshake or a
    // request; Calling: its call is queued or runs; Writing: its answer.
    enum class Phase { Waiting, Reading, Calling, Writing, Closing };

    static constexpr bool isTls = !std::is_same_v<Stream, beast::tcp_stream>;

    beast::tcp_stream &lowest() { return beast::get_lowest_layer(m_stream); }

    // A new connection has the header deadline from its start; a kept-alive
    // one may idle for a while before the next request begins, and its
    // header deadline runs from that request's first byte.
    void awaitRequest()
    {
        if (m_lane.draining())
            return closeNow();
        if (m_buffer.size() > 0)
            return readHeader();
        m_phase = Phase::Waiting;
        if (m_keptAlive)
            lowest().expires_after(m_context.settings.idleTimeout);
        m_stream.async_read_some(m_buffer.prepare(firstRead),
                                 [self = this->shared_from_this()](const error_code &ec, std::size_t bytes) {
                                     if (ec)
                                         return self->closeNow();
                                     self->m_buffer.commit(bytes);
                                     if (self->m_keptAlive)
                                         self->lowest().expires_after(self->m_context.settings.headerTimeout);
                                     self->readHeader();
                                 });
    }

    // Feeds what is buffered already to the parser: true when that holds
    // the header (or the whole request) and no read of the socket is
    // needed; false with `ec` set for a request that cannot be served.
    bool parseBuffered(bool wholeRequest, error_code &ec)
    {
        const auto complete = [&] { return wholeRequest ? m_parser->is_done() : m_parser->is_header_done(); };
        m_parser->eager(wholeRequest);
        while (!complete() && m_buffer.size() > 0) {
            const std::size_t used = m_parser->put(m_buffer.data(), ec);
            m_buffer.consume(used);
            if (ec == http::error::need_more) {
                ec = {};
                return false;
            }
            if (ec || used == 0)
                return false;
        }
        return complete();
    }

    void readHeader()
    {
        m_phase = Phase::Reading;
        m_parser.emplace();
        m_parser->header_limit(std::uint32_t(m_context.settings.maxHeaderBytes));
        m_parser->body_limit(std::uint64_t(m_context.settings.maxBodyBytes));
        // A request usually comes whole in its first read: parsed from the
        // buffer, it reaches the call without a round through the I/O
        // threads' queue.
        error_code ec;
        if (parseBuffered(false, ec) || ec)
            return onHeader(ec);
        http::async_read_header(
            m_stream, m_buffer, *m_parser,
            [self = this->shared_from_this()](const error_code &ec, std::size_t) { self->onHeader(ec); });
    }

    void onHeader(const error_code &ec)
    {
        if (ec) {
            if (ec == beast::error::timeout && m_buffer.size() > 0)
                return answerAndClose(408);
            if (isDisconnect(ec))
                return closeNow();
            return answerAndClose(statusOfReadError(ec));
        }
        const auto &request = m_parser->get();
        m_version = request.version();
        if (!acceptableTransferEncoding(request))
            return answerAndClose(400);
        std::optional<HttpAnswer> early = m_context.handler.screen(
            view(request.method_string()), view(request.target()),
            view(request[beast::string_view(CallHandler::secretHeader.data(), CallHandler::secretHeader.size())]),
            view(request[http::field::authorization]));
        if (early)
            return write(std::move(*early));
        lowest().expires_after(m_context.settings.bodyTimeout);
        // A client that asks first (large bodies, some clients) is told to
        // go on only now that its headers passed.
        if (beast::iequals(request[http::field::expect], "100-continue")) {
            auto goOn = std::make_shared<http::response<http::empty_body>>(http::status::continue_, request.version());
            return http::async_write(m_stream, *goOn,
                                     [self = this->shared_from_this(), goOn](const error_code &ec, std::size_t) {
                                         if (ec)
                                             return self->closeNow();
                                         self->readBody();
                                     });
        }
        readBody();
    }

    void readBody()
    {
        error_code ec;
        if (parseBuffered(true, ec) || ec)
            return onBody(ec);
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = this->shared_from_this()](const error_code &ec, std::size_t) { self->onBody(ec); });
    }

    void onBody(const error_code &ec)
    {
        if (ec) {
            if (ec == beast::error::timeout)
                return answerAndClose(408);
            if (isDisconnect(ec))
                return closeNow();
            return answerAndClose(statusOfReadError(ec));
        }
        // No deadline while the call runs: the queue and the database bound it.
        lowest().expires_never();
        m_phase = Phase::Calling;
        auto request = m_parser->release();
        m_parser.reset();
        m_keepAlive = request.keep_alive();
        CallRequest call{std::string(request.method_string()), std::string(request.target()),
                         std::string(request[http::field::authorization])};
        if (CallHandler::answersAtOnce(call))
            return write(m_context.handler.call(call, std::string(), m_origin));
        // With nothing waiting and no other connection on this lane, its
        // I/O thread runs the call and writes the answer itself, skipping
        // the hand-off to a worker and back.
        {
            const IoLane::CallClaim claim(m_lane);
            if (claim && m_context.queue.runHere([&] { write(callAnswer(call, std::move(request.body()))); }))
                return;
        }
        auto job = [self = this->shared_from_this(), call = std::move(call),
                    body = std::move(request.body())]() mutable {
            HttpAnswer answer = self->callAnswer(call, std::move(body));
            asio::post(self->m_stream.get_executor(),
                       [self, answer = std::move(answer)]() mutable { self->write(std::move(answer)); });
        };
        if (!m_context.queue.submit(std::move(job))) {
            HttpAnswer busy = m_context.handler.refuse(
                503, QStringLiteral("%1 %2 (fila cheia)").arg(qText(request.method_string()), qText(request.target())));
            write(std::move(busy));
        }
    }

    // The call's answer, run on the calling thread; refused once the
    // server's stop has given up on the calls still running.
    HttpAnswer callAnswer(const CallRequest &call, std::string body)
    {
        return m_context.handler.call(call, std::move(body), m_origin, &m_context.calls);
    }

    void answerAndClose(int status)
    {
        const QString request =
            m_parser && m_parser->is_header_done()
                ? QStringLiteral("%1 %2").arg(qText(m_parser->get().method_string()), qText(m_parser->get().target()))
                : QStringLiteral("HTTP");
        HttpAnswer answer = m_context.handler.refuse(status, request);
        answer.closeConnection = true;
        write(std::move(answer));
    }

    void write(HttpAnswer answer)
    {
        m_phase = Phase::Writing;
        // A stopping server closes every connection after its answer.
        m_closeAfterWrite = answer.closeConnection || !m_keepAlive || m_lane.draining();
        m_response = {};
        m_response.version(m_version == 10 ? 10 : 11);
        m_response.result(http::status(answer.status));
        m_response.set(http::field::content_type,
                       answer.contentType.empty()
                           ? beast::string_view("application/json; charset=utf-8")
                           : beast::string_view(answer.contentType.data(), answer.contentType.size()));
        if (answer.retryAfterSeconds > 0)
            m_response.set(http::field::retry_after, std::to_string(answer.retryAfterSeconds));
        m_response.body() = std::move(answer.body);
        m_response.keep_alive(!m_closeAfterWrite);
        m_response.prepare_payload();
        m_serializer.emplace(m_response);
        // On plain TCP an answer usually fits the socket's buffer: written at
        // once, it needs no write deadline. What does not fit is written
        // asynchronously under the deadline. A pipelined request already
        // buffered is left to the asynchronous path, so answering it does
        // not nest inside this one.
        if constexpr (!isTls) {
            if (m_buffer.size() == 0) {
                error_code ec;
                while (!ec && !m_serializer->is_done())
                    http::write_some(lowest().socket(), *m_serializer, ec);
                if (m_serializer->is_done())
                    return onWritten({});
                if (ec != asio::error::would_block && ec != asio::error::try_again)
                    return closeNow();
            }
        }
        lowest().expires_after(m_context.settings.bodyTimeout);
        http::async_write(
            m_stream, *m_serializer,
            [self = this->shared_from_this()](const error_code &ec, std::size_t) { self->onWritten(ec); });
    }

    void onWritten(const error_code &ec)
    {
        m_serializer.reset();
        m_response = {};
        if (ec)
            return closeNow();
        if (m_closeAfterWrite || m_lane.draining())
            return closeGracefully();
        m_keptAlive = true;
        m_keepAlive = true;
        awaitRequest();
    }

    void closeGracefully()
    {
        m_phase = Phase::Closing;
        if constexpr (isTls) {
            lowest().expires_after(drainTime);
            m_stream.async_shutdown([self = this->shared_from_this()](const error_code &) { self->closeNow(); });
        } else {
            error_code ignored;
            lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
            lowest().expires_after(drainTime);
            drain();
        }
    }

    void drain()
    {
        m_buffer.clear();
        lowest().async_read_some(m_buffer.prepare(firstRead),
                                 [self = this->shared_from_this()](const error_code &ec, std::size_t bytes) {
                                     self->m_drained += bytes;
                                     if (ec || self->m_drained > drainBytes)
                                         return self->closeNow();
                                     self->drain();
                                 });
    }

    void closeNow()
    {
        m_phase = Phase::Closing;
        error_code ignored;
        lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
        lowest().close();
    }

    const ConnectionContext &m_context;
    IoLane::Ticket m_ticket;  // counts the connection on its lane until it goes
    IoLane &m_lane;
    QString m_origin;
    Stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    http::response<http::string_body> m_response;
    std::optional<http::response_serializer<http::string_body>> m_serializer;  // of m_response while it is written
    unsigned m_version = 11;
    bool m_keepAlive = true;
    bool m_keptAlive = false;
    bool m_closeAfterWrite = false;
    std::size_t m_drained = 0;
    Phase m_phase = Phase::Reading;
    std::optional<IoLane::Tracked> m_tracked;
};

}  // namespace

void HttpConnection::start(tcp::socket socket, asio::ssl::context *tls, const ConnectionContext &context,
                           IoLane::Ticket ticket)
{
    const QString origin = originOf(socket);
    if (tls) {
        std::make_shared<Connection<beast::ssl_stream<beast::tcp_stream>>>(context, std::move(ticket), origin,
                                                                           std::move(socket), *tls)
            ->start();
    } else {
        std::make_shared<Connection<beast::tcp_stream>>(context, std::move(ticket), origin, std::move(socket))->start();
    }
}

}  // namespace commission
