#include "CodeTables.h"
#include "FrameTestHelpers.h"
#include <functional>
#include <random>
#include <set>

using frames::Bytes;

namespace
{
const std::set<int> acceptedMessageClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x50, 0x70, 0x7F };
const std::set<int> acceptedDataClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x70, 0x7D, 0x7E, 0x7F };

constexpr juce::uint32 session = 0x0ABCDEF;
const Bytes productNameBody { 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 };

struct Rejection
{
    const char* story;
    std::function<void (Bytes&)> spoil;
};

void SetBody (Bytes& frame, int bodyIndex, juce::uint8 value)
{
    frame[(size_t) (zun::Frame::bodyPos + bodyIndex)] = value;
    frames::FixChecksum (frame);
}

// Each case breaks one test of the gate and leaves the others passing.
const Rejection rejections[] = {
    { "23 bytes", [] (Bytes& f)
      { f = frames::Assemble ({}, session); f.erase (f.begin() + 21); } },
    { "start byte not F0", [] (Bytes& f)
      { f[0] = 0xF1; } },
    { "other manufacturer id", [] (Bytes& f)
      { f[2] = 0x2F; } },
    { "byte 4 not 7D", [] (Bytes& f)
      { f[4] = 0x7E; } },
    { "other session id", [] (Bytes& f)
      { zun::Wire::Write28 (f.data() + 12, session + 1); frames::FixChecksum (f); } },
    { "length 1 with matching size and checksum", [] (Bytes& f)
      { f = frames::Assemble ({ 0x43 }, session); } },
    { "length 7 in 32 bytes", [] (Bytes& f)
      { f.insert (f.begin() + 29, 0x01); frames::FixChecksum (f); } },
    { "last byte not F7", [] (Bytes& f)
      { f.back() = 0x77; } },
    { "checksum one too high", [] (Bytes& f)
      { ++f[f.size() - 2]; } },
    { "message class 05", [] (Bytes& f)
      { SetBody (f, 0, 0x05); } },
    { "message class 45", [] (Bytes& f)
      { SetBody (f, 0, 0x45); } },
    { "message class 83 (43 with the top bit)", [] (Bytes& f)
      { SetBody (f, 0, 0x83); } },
    { "data class 0B", [] (Bytes& f)
      { SetBody (f, 1, 0x0B); } },
    { "data class 6F", [] (Bytes& f)
      { SetBody (f, 1, 0x6F); } },
};

class Validation : public ::testing::Test
{
protected:
    void SetUp() override { container.sysexMessage.sessionId = session; }

    zun::DeviceContainer container;
};
} // namespace

TEST_F (Validation, EachTestRejectsOnItsOwn)
{
    for (const auto& rejection : rejections)
    {
        SCOPED_TRACE (rejection.story);
        auto frame = frames::Assemble (productNameBody, session);
        ASSERT_TRUE (frames::IsValid (container, frame));

        rejection.spoil (frame);
        EXPECT_FALSE (frames::IsValid (container, frame));
        EXPECT_FALSE (container.IsValidMidiMessage (juce::MidiMessage (frame.data(), (int) frame.size())));
    }
}

TEST_F (Validation, AcceptedFrames)
{
    struct Acceptance
    {
        const char* story;
        Bytes frame;
    };

    auto fromOtherInterface = frames::Assemble (productNameBody, session);
    zun::Wire::Write14 (fromOtherInterface.data() + 5, 0x3FFF);
    zun::Wire::Write32 (fromOtherInterface.data() + 7, 0xDEADBEEF);
    zun::Wire::Write28 (fromOtherInterface.data() + 16, 0x0FEDCBA);
    frames::FixChecksum (fromOtherInterface);

    const Acceptance acceptances[] = {
        { "the Ping", frames::Assemble ({}, session) },
        { "GetProductName", frames::Assemble (productNameBody, session) },
        { "another interface, any sequence number", fromOtherInterface },
        { "acknowledgement of a preset load", frames::Assemble ({ 0x40, 0x00, 0x11, 0x00, 0x00 }, session) },
        { "two-byte body", frames::Assemble ({ 0x7F, 0x7F }, session) },
        { "data class 7D", frames::Assemble ({ 0x43, 0x7D, 0x00 }, session) },
        { "data class 7E", frames::Assemble ({ 0x43, 0x7E, 0x00 }, session) },
        { "body bytes after the classes unchecked", frames::Assemble ({ 0x43, 0x03, 0x99, 0xFF }, session) },
    };

    for (const auto& acceptance : acceptances)
    {
        SCOPED_TRACE (acceptance.story);
        EXPECT_TRUE (frames::IsValid (container, acceptance.frame));
        EXPECT_TRUE (container.IsValidMidiMessage (juce::MidiMessage (acceptance.frame.data(), (int) acceptance.frame.size())));
    }
}

TEST_F (Validation, SessionIdIsIgnoredUntilOneIsDrawn)
{
    container.sysexMessage.sessionId = 0;
    const auto foreign = frames::Assemble (productNameBody, 0x0123456);
    const auto unset = frames::Assemble (productNameBody, 0);

    EXPECT_TRUE (frames::IsValid (container, foreign));
    EXPECT_TRUE (frames::IsValid (container, unset));

    container.sysexMessage.DrawSessionId();
    if (container.sysexMessage.sessionId == 0x0123456 || container.sysexMessage.sessionId == 0)
        container.sysexMessage.sessionId = 0x0654321;

    EXPECT_FALSE (frames::IsValid (container, foreign));
    EXPECT_FALSE (frames::IsValid (container, unset));
    EXPECT_TRUE (frames::IsValid (container, frames::Assemble (productNameBody, container.sysexMessage.sessionId)));
}

TEST_F (Validation, OrdinaryMidiMessagesAreRejected)
{
    for (const auto& message : { juce::MidiMessage (0xF8),
                                 juce::MidiMessage::programChange (1, 5),
                                 juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100),
                                 juce::MidiMessage::controllerEvent (16, 7, 127),
                                 juce::MidiMessage() })
        EXPECT_FALSE (container.IsValidMidiMessage (message)) << message.getDescription();

    EXPECT_FALSE (container.IsValidMidiMessage (nullptr, 24));
    EXPECT_FALSE (container.IsValidMidiMessage (frames::Assemble ({}).data(), -1));
}

TEST_F (Validation, ExactlyFifteenMessageClassesAndFifteenDataClassesPass)
{
    int messageClassesAccepted = 0, dataClassesAccepted = 0;

    for (int code = 0; code < 256; ++code)
    {
        SCOPED_TRACE (code);
        const auto asMessageClass = frames::Assemble ({ (juce::uint8) code, 0x02 }, session);
        const auto asDataClass = frames::Assemble ({ 0x43, (juce::uint8) code }, session);

        const bool messageClassOk = frames::IsValid (container, asMessageClass);
        const bool dataClassOk = frames::IsValid (container, asDataClass);

        EXPECT_EQ (messageClassOk, acceptedMessageClasses.count (code) == 1);
        EXPECT_EQ (dataClassOk, acceptedDataClasses.count (code) == 1);
        EXPECT_EQ (zun::IsAcceptedMessageClass ((juce::uint8) code), messageClassOk);
        EXPECT_EQ (zun::IsAcceptedDataClass ((juce::uint8) code), dataClassOk);

        messageClassesAccepted += messageClassOk ? 1 : 0;
        dataClassesAccepted += dataClassOk ? 1 : 0;
    }

    EXPECT_EQ (messageClassesAccepted, 15);
    EXPECT_EQ (dataClassesAccepted, 15);
}

// Random bodies through the builder: a frame passes exactly when its classes are accepted,
// and any single byte from the product id to the checksum changed to another 7-bit value
// makes a good frame fail.
TEST_F (Validation, EveryBuiltFrameCheckedAndEverySingleByteChangeCaught)
{
    std::mt19937 rng (20240611u);
    auto pick = [&rng] (juce::uint32 below)
    { return (juce::uint32) (rng() % below); };
    const std::vector<int> messageClasses (acceptedMessageClasses.begin(), acceptedMessageClasses.end());
    const std::vector<int> dataClasses (acceptedDataClasses.begin(), acceptedDataClasses.end());

    auto& builder = container.sysexMessage;
    int accepted = 0, rejected = 0;

    for (int round = 0; round < 400; ++round)
    {
        const int length = round % 10 == 0 ? 0 : 2 + (int) pick (zun::Frame::maxBodyLength - 1);
        Bytes body ((size_t) length);

        for (auto& b : body)
            b = (juce::uint8) pick (0x80);

        if (length > 0)
        {
            body[0] = (juce::uint8) (pick (2) == 0 ? messageClasses[pick (15)] : (int) pick (0x80));
            body[1] = (juce::uint8) (pick (2) == 0 ? dataClasses[pick (15)] : (int) pick (0x80));
        }

        builder.productId = (juce::uint16) pick (0x10000);
        builder.serialNumber = (juce::uint32) rng();
        builder.sessionId = pick (0x10000000);
        builder.sequenceNumber = pick (0x10000000);
        const auto sequence = builder.sequenceNumber;

        const auto frame = frames::Of (builder.CreateMessage (body.empty() ? nullptr : body.data(), (unsigned short) length));
        ASSERT_EQ ((int) frame.size(), length + zun::Frame::overhead);

        const zun::FrameView view (frame.data(), (int) frame.size());
        ASSERT_EQ (view.ProductId(), builder.productId & 0x3FFF);
        ASSERT_EQ (view.SerialNumber(), builder.serialNumber);
        ASSERT_EQ (view.SessionId(), builder.sessionId);
        ASSERT_EQ (view.SequenceNumber(), sequence);
        ASSERT_EQ (view.BodyLength(), length);

        const bool classesAccepted = length == 0 || (acceptedMessageClasses.count (body[0]) == 1 && acceptedDataClasses.count (body[1]) == 1);
        ASSERT_EQ (frames::IsValid (container, frame), classesAccepted) << "round " << round;

        if (! classesAccepted)
        {
            ++rejected;
            continue;
        }

        ++accepted;
        auto spoilt = frame;

        for (size_t i = zun::Frame::productIdPos; i < frame.size() - 1; ++i)
        {
            spoilt[i] = (juce::uint8) ((frame[i] + 1 + pick (0x7F)) & 0x7F);
            ASSERT_FALSE (frames::IsValid (container, spoilt)) << "round " << round << " byte " << i;
            spoilt[i] = frame[i];
        }
    }

    EXPECT_GT (accepted, 100);
    EXPECT_GT (rejected, 100);
}
