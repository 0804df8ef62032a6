#include "engine/messageChunks.h"

#include "engine/scrambler.h"
#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "engine/snppCommands.h"
#include "fakeTcpClient.h"
#include "printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

// A message whose characters tell their own 1-based position, so a chunk shows where it came from.
QString numberedMessage(int length) {
    QString text;
    for (int i = 0; i < length; ++i) {
        text.append(QChar(u'a' + i % 26));
    }
    return text;
}

struct ChunkCase {
    const char* what;
    int length;
    int splitChars;
    bool reverseOrder;
    std::vector<std::pair<int, int>> chunks; // 1-based first and last position of each chunk
    int finalIndex;
    bool reversed;
};

const ChunkCase chunkCases[] = {
    {"forward in two", 20, 10, false, {{1, 10}, {11, 20}}, 21, false},
    {"reversed in two", 20, 10, true, {{11, 20}, {1, 10}}, -9, true},
    {"reversed with a short last chunk", 25, 10, true, {{21, 25}, {11, 20}, {1, 10}}, -9, true},
    {"no longer than a chunk goes forward", 10, 10, true, {{1, 10}}, 11, false},
    {"one character", 1, 10, false, {{1, 1}}, 11, false},
    {"999 in chunks of 400", 999, 400, false, {{1, 400}, {401, 800}, {801, 999}}, 1201, false},
    {"chunks of one, reversed", 3, 1, true, {{3, 3}, {2, 2}, {1, 1}}, 0, true},
};

// Walks a recipient's chunks the way the conversation does: the first chunk always goes out, and
// after each accepted SEND the next one goes while one remains.
TEST(MessageChunks, WalksEveryChunkInOrder) {
    for (const auto& c : chunkCases) {
        SendJob job;
        job.currentService = 3;
        job.serviceMessages[3] = numberedMessage(c.length);
        serviceRecordType service;
        service.name = u"PLAIN"_s;
        service.splitChars = c.splitChars;
        service.reverseOrder = c.reverseOrder;

        SetMessageIndex(job, service);
        EXPECT_EQ(job.chunksReversed, c.reversed) << c.what;
        std::vector<QString> lines;
        std::vector<QString> chunks;
        do {
            lines.push_back(takeNextMessLine(job, service));
            chunks.push_back(job.chunkText);
        } while (chunkRemains(job) && chunks.size() < 10);

        ASSERT_EQ(chunks.size(), c.chunks.size()) << c.what;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            const auto [from, to] = c.chunks[i];
            const QString expected = job.serviceMessages[3].mid(from - 1, to - from + 1);
            EXPECT_EQ(chunks[i], expected) << c.what << " chunk " << i;
            EXPECT_EQ(lines[i], u"MESS "_s + expected + u"\r\n"_s) << c.what;
        }
        EXPECT_EQ(job.messageIndex, c.finalIndex) << c.what;
    }
}

TEST(MessageChunks, EmptyMessageIsOneEmptyMessLine) {
    for (const auto& [name, line] :
         {std::pair{u"GW"_s, u"MESS \r\n"_s}, std::pair{u"GW -ENCRY"_s, u"MESS SNPPENCRYPTED001\r\n"_s}}) {
        SendJob job;
        serviceRecordType service;
        service.name = name;
        service.splitChars = 10;
        SetMessageIndex(job, service);
        EXPECT_EQ(takeNextMessLine(job, service), line);
        EXPECT_FALSE(chunkRemains(job));
    }
}

TEST(MessageChunks, SendMessageChunkSendsTheLineAndMovesToMessageSent) {
    SendJob job;
    job.state = EngineState::PageSent;
    job.serviceMessages[1] = u"hello world"_s;
    serviceRecordType service;
    service.splitChars = 5;
    test::FakeTcpClient client;
    client.open = true;
    SetMessageIndex(job, service);
    sendMessageChunk(job, service, client);
    EXPECT_EQ(client.sent, QStringList{u"MESS hello\r\n"_s});
    EXPECT_EQ(job.state, EngineState::MessageSent);
    EXPECT_EQ(job.messageIndex, 6);
}

// The receiving side of the encrypted form, written from the description of the routine: it
// recovers each byte from the output byte and the running key.
QByteArray unscramble(const QByteArray& scrambled, quint16 startKey) {
    QByteArray out;
    quint32 key = startKey;
    for (const char c : scrambled) {
        const quint32 o = static_cast<unsigned char>(c);
        out.append(static_cast<char>(o ^ (key >> 8)));
        key = ((key + o) * 41027u + 19843u) % 65536u;
    }
    return out;
}

QByteArray payloadOf(const QString& encryptedLine) {
    const QString prefix = u"MESS SNPPENCRYPTED001"_s;
    EXPECT_TRUE(encryptedLine.startsWith(prefix)) << encryptedLine.toStdString();
    EXPECT_TRUE(encryptedLine.endsWith(u"\r\n"_s));
    const QString base64 = encryptedLine.mid(prefix.size(), encryptedLine.size() - prefix.size() - 2);
    return QByteArray::fromBase64(base64.toLatin1());
}

// Every Latin-1 character outside the C1 controls goes out as the scrambled low byte of the
// character, and the receiver recovers each.
TEST(EncryptedForm, LatinOneCharactersGoOutAsTheirScrambledBytesAndAreRecovered) {
    QString latin;
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b >= 0xa0) {
            latin.append(QChar(char16_t(b)));
        }
    }
    // Twice over, so the key has run on well past its start when the second pass comes.
    const QString input = latin + latin;
    const QByteArray scrambled = payloadOf(encryptedMessLine(input));
    ASSERT_EQ(scrambled.size(), input.size());
    EXPECT_EQ(scrambled, scramble(input, scrambleStartKey).toLatin1());
    EXPECT_EQ(unscramble(scrambled, scrambleStartKey), input.toLatin1());
    EXPECT_NE(scrambled, input.toLatin1());
}

// Mended: characters beyond Latin-1 cross in the network's code page, as the plain form brings
// them, instead of as the low bytes of their UTF-16 codes (control bytes for dashes and quotes).
TEST(EncryptedForm, CodePageCharactersArriveAsTheCodePagesBytes) {
    const QByteArray received =
        unscramble(payloadOf(encryptedMessLine(u"\u2013\u201c\u201d\u20ac \u0141"_s)), scrambleStartKey);
    EXPECT_EQ(received, QByteArray("\x96\x93\x94\x80 ?"));
}

TEST(EncryptedForm, KnownOutputAndHighByteDiscarded) {
    // 'A' ^ 0xB8 (high byte of 47216) = 0xF9; the key then becomes 0x73FE, and 'B' ^ 0x73 = 0x31.
    EXPECT_EQ(scramble(u"AB", scrambleStartKey), QString(QChar(0xF9)) + QChar(0x31));
    EXPECT_EQ(scramble(u"\u0141B", scrambleStartKey), scramble(u"AB", scrambleStartKey));
}

TEST(EncryptedForm, LengthsAndRepeatability) {
    struct Case {
        int chars;
        int base64Chars;
    };
    for (const Case c : {Case{1, 4}, Case{2, 4}, Case{3, 4}, Case{4, 8}, Case{300, 400}, Case{999, 1332}}) {
        const QString chunk = numberedMessage(c.chars);
        const QString line = encryptedMessLine(chunk);
        EXPECT_EQ(line.size(), QString(u"MESS SNPPENCRYPTED001"_s).size() + c.base64Chars + 2) << c.chars;
        EXPECT_EQ(payloadOf(line).size(), c.chars);
        EXPECT_EQ(encryptedMessLine(chunk), line) << "every chunk starts from the start key";
    }
    EXPECT_TRUE(encryptedMessLine(u"x"_s).endsWith(u"==\r\n"_s));
}

TEST(EncryptedForm, ChosenByCaseSensitiveMarkerAnywhereInTheName) {
    struct Case {
        QString name;
        bool encrypted;
    };
    const Case cases[] = {
        {u"ACME -ENCRY"_s, true}, {u"-ENCRYPTED gw"_s, true}, {u"ACME -encry"_s, false}, {u"ACME ENCRY"_s, false}};
    for (const auto& c : cases) {
        SendJob job;
        job.serviceMessages[1] = u"hi"_s;
        serviceRecordType service;
        service.name = c.name;
        service.splitChars = 10;
        SetMessageIndex(job, service);
        EXPECT_EQ(takeNextMessLine(job, service).startsWith(u"MESS SNPPENCRYPTED001"_s), c.encrypted)
            << c.name.toStdString();
    }
}

TEST(SnppCommands, LineBreaksInArgumentsCannotStartASecondCommand) {
    EXPECT_EQ(plainMessLine(u"hi\r\nQUIT"_s), u"MESS hi  QUIT\r\n"_s);
    EXPECT_EQ(pageLine(u"555\r\nSEND"_s, QString()), u"PAGE 555  SEND\r\n"_s);
    EXPECT_EQ(pageLine(u"555"_s, u"pw\n"_s), u"PAGE 555 pw \r\n"_s);
    EXPECT_EQ(logiLine(u"id\r"_s, u"p\nw"_s), u"LOGI id  p w\r\n"_s);
    EXPECT_EQ(holdLine(u"1301301845\r\n"_s), u"HOLD 1301301845  \r\n"_s);
    // The encrypted form carries the line breaks safely inside Base64.
    const QByteArray payload = payloadOf(encryptedMessLine(u"a\r\nb"_s));
    EXPECT_EQ(unscramble(payload, scrambleStartKey), QByteArray("a\r\nb"));
}

TEST(SnppCommands, PageCarriesThePasswordOnlyWhenThereIsOne) {
    EXPECT_EQ(pageLine(u"5551234"_s, QString()), u"PAGE 5551234\r\n"_s);
    EXPECT_EQ(pageLine(u"5551234"_s, u"0042"_s), u"PAGE 5551234 0042\r\n"_s);
    EXPECT_EQ(sendLine(), u"SEND\r\n"_s);
    EXPECT_EQ(quitLine(), u"QUIT\r\n"_s);
}

} // namespace
} // namespace corvane
