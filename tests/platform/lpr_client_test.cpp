// The line printer daemon client against an in-test server that misbehaves on cue, and against
// ports where nothing listens. The end-to-end run against CUPS' own LPD server is in
// tests/cli/print_lpd_test.cpp.
#include "platform/lpr_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/host_name.h"
#include "tests/support/lpd_test_server.h"

namespace kestrane {
namespace {

using std::chrono::milliseconds;
using testing::LpdTestServer;
using Clock = std::chrono::steady_clock;

const RawLimits kQuick{milliseconds(1000), milliseconds(300), milliseconds(2000)};

RawJob receiptJob(std::string bytes) {
    return RawJob{"RAW", "0123abcd_receipt.ps", std::move(bytes)};
}

TEST(LprClientTest, SendsControlFileThenDataFileAndReportsDelivery) {
    LpdTestServer server;
    const std::string data = std::string("\x1B@\r\nline\r\n\x00\xFF", 10);
    const RawResult result = sendRawJob(server.address(), receiptJob(data), kQuick);
    EXPECT_TRUE(result.delivered) << result.error;
    EXPECT_EQ(result.error, "");

    const auto got = server.received();
    EXPECT_EQ(got.stepsAnswered, 5);
    EXPECT_EQ(got.queue, "\x02RAW\n");
    EXPECT_EQ(got.data, data);  // unchanged, NUL bytes included
    // "\x03<count> dfA<nnn><host>\n" and "\x02<count> cfA<nnn><host>\n" with the same job name.
    ASSERT_GE(got.dataAnnounce.size(), 10u);
    EXPECT_EQ(got.dataAnnounce.substr(0, 7),
              "\x03"
              "10 dfA");
    ASSERT_GE(got.controlAnnounce.size(), 10u);
    const std::string dataFile = got.dataAnnounce.substr(4, got.dataAnnounce.size() - 5);
    const std::string host = dataFile.substr(6);
    EXPECT_EQ(got.controlAnnounce,
              "\x02" + std::to_string(got.control.size()) + " cfA" + dataFile.substr(3) + "\n");
    EXPECT_EQ(got.control, "H" + host + "\nPkestrane\nJ0123abcd_receipt.ps\nl" + dataFile +
                               "\nN0123abcd_receipt.ps\n");
    EXPECT_EQ(dataFile.find_first_not_of("0123456789", 3), 6u);  // three-digit job number
    EXPECT_LE(host.size(), 31u);
    EXPECT_FALSE(host.empty());
}

TEST(LprClientTest, ControlFileHoldsHostUserJobPrintAndSourceLines) {
    EXPECT_EQ(lpdControlFile("till2", "kestrane", "x_receipt.ps", "dfA123till2"),
              "Htill2\nPkestrane\nJx_receipt.ps\nldfA123till2\nNx_receipt.ps\n");
}

TEST(LprClientTest, ANegativeAcknowledgementAtAnyStepIsAFailure) {
    const struct {
        LpdTestServer::Step step;
        std::string what;
    } cases[] = {
        {LpdTestServer::ReceiveJob, "the receive-job command for queue RAW"},
        {LpdTestServer::ControlAnnounce, "the control file announcement"},
        {LpdTestServer::ControlFile, "the control file"},
        {LpdTestServer::DataAnnounce, "the data file announcement"},
        {LpdTestServer::DataFile, "the data file"},
    };
    for (const auto& c : cases) {
        LpdTestServer server(LpdTestServer::Behaviour::Refuse, c.step);
        const RawResult result = sendRawJob(server.address(), receiptJob("x\r\n"), kQuick);
        EXPECT_FALSE(result.delivered) << c.what;
        EXPECT_EQ(result.error, "The printer at " + server.address() +
                                    " refused the print job (negative acknowledgement 1 to " +
                                    c.what + ")");
    }
}

TEST(LprClientTest, BytesBeyondTheAcknowledgementAreAProtocolErrorNotLaterAcknowledgements) {
    const struct {
        LpdTestServer::Step step;
        std::string when;
    } cases[] = {
        {LpdTestServer::ReceiveJob, "before the control file announcement"},
        {LpdTestServer::ControlFile, "before the data file announcement"},
        {LpdTestServer::DataFile, "after acknowledging the data file"},
    };
    for (const auto& c : cases) {
        LpdTestServer server(LpdTestServer::Behaviour::Flood, c.step);
        const RawResult result = sendRawJob(server.address(), receiptJob("x"), kQuick);
        EXPECT_FALSE(result.delivered) << c.when;
        EXPECT_EQ(result.error, "The printer at " + server.address() +
                                    " sent 4 bytes out of turn " + c.when + " (a protocol error)");
    }
}

TEST(LprClientTest, AConnectionClosedBeforeTheLastAcknowledgementIsAFailure) {
    for (auto step :
         {LpdTestServer::ReceiveJob, LpdTestServer::ControlFile, LpdTestServer::DataFile}) {
        LpdTestServer server(LpdTestServer::Behaviour::Close, step);
        const RawResult result = sendRawJob(server.address(), receiptJob("x"), kQuick);
        EXPECT_FALSE(result.delivered);
        EXPECT_EQ(result.error.rfind("The printer at " + server.address() +
                                         " closed the connection before acknowledging the ",
                                     0),
                  0u)
            << result.error;
    }
}

// A printer that stops reading in the middle of the data file is named for what it did.
TEST(LprClientTest, AServerThatStopsReadingIsNotOneThatStopsAnswering) {
    LpdTestServer server(LpdTestServer::Behaviour::StopReading, LpdTestServer::DataFile);
    // More than the loopback's socket buffers take, so the send itself stalls.
    const RawResult result = sendRawJob(server.address(), receiptJob(std::string(64 << 20, 'x')), kQuick);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.error, "The printer at " + server.address() +
                                " stopped taking data: the data file could not be sent within 0.3 seconds");
}

TEST(LprClientTest, ASilentServerTimesOutAtTheReplyLimit) {
    for (auto step :
         {LpdTestServer::ReceiveJob, LpdTestServer::DataAnnounce, LpdTestServer::DataFile}) {
        LpdTestServer server(LpdTestServer::Behaviour::Silent, step);
        const auto start = Clock::now();
        const RawResult result = sendRawJob(server.address(), receiptJob("x"), kQuick);
        const auto took = Clock::now() - start;
        EXPECT_FALSE(result.delivered);
        EXPECT_EQ(result.error.rfind("The printer at " + server.address() +
                                         " did not answer within 0.3 seconds (waiting for the "
                                         "acknowledgement of the ",
                                     0),
                  0u)
            << result.error;
        EXPECT_GE(took, milliseconds(300));
        EXPECT_LT(took, milliseconds(1500));
    }
}

TEST(LprClientTest, TheWholeJobHasALimitToo) {
    // Each answer comes within the reply limit, but five of them take longer than the job limit.
    LpdTestServer server(LpdTestServer::Behaviour::Acknowledge, LpdTestServer::Done,
                         milliseconds(150));
    const RawLimits limits{milliseconds(1000), milliseconds(300), milliseconds(500)};
    const auto start = Clock::now();
    const RawResult result = sendRawJob(server.address(), receiptJob("x"), limits);
    const auto took = Clock::now() - start;
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.error, "The print job to the printer at " + server.address() +
                                " did not complete within 0.5 seconds");
    EXPECT_LT(took, milliseconds(1500));
}

TEST(LprClientTest, NothingListeningIsARefusedConnection) {
    const std::string address = "127.0.0.1:" + std::to_string(testing::unusedPort());
    const RawResult result = sendRawJob(address, receiptJob("x"), kQuick);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.error,
              "Could not connect to the printer at " + address + ": Connection refused");
}

TEST(LprClientTest, AConnectionNobodyAcceptsTimesOutAtTheConnectLimit) {
    // A listener that never accepts, with its backlog of one taken: the kernel drops further
    // connection requests, so connecting neither succeeds nor fails.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const int first = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(first, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    const auto start = Clock::now();
    const RawResult result = sendRawJob(where, receiptJob("x"),
                                        {milliseconds(300), milliseconds(300), milliseconds(2000)});
    const auto took = Clock::now() - start;
    ::close(first);
    ::close(listener);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.error,
              "The printer at " + where + " did not accept a connection within 0.3 seconds");
    EXPECT_GE(took, milliseconds(300));
    EXPECT_LT(took, milliseconds(1500));
}

TEST(LprClientTest, AnUnknownHostIsAFailureNotAHang) {
    const auto start = Clock::now();
    const RawResult result = sendRawJob("no-such-printer.invalid", receiptJob("x"), kQuick);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(
        result.error.rfind("Could not connect to the printer at no-such-printer.invalid:515: ", 0),
        0u)
        << result.error;
    EXPECT_LT(Clock::now() - start, milliseconds(1500));
}

TEST(LprClientTest, AHostNameIsResolved) {
    LpdTestServer server;
    const std::string port = server.address().substr(server.address().find(':'));
    const RawResult result = sendRawJob("localhost" + port, receiptJob("named"), kQuick);
    EXPECT_TRUE(result.delivered) << result.error;
    EXPECT_EQ(server.received().data, "named");
}

TEST(LprClientTest, AnAddressThatCannotBeReadIsRefusedBeforeConnecting) {
    LpdTestServer server;
    const RawResult result = sendRawJob(server.address() + " -P x", receiptJob("x"), kQuick);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.error, "The printer address must not contain blanks or control characters");
    EXPECT_FALSE(server.accepted());
}

}  // namespace
}  // namespace kestrane
