// SPDX-License-Identifier: MIT
#include "DictdDictionary.h"
#include "DictionarySet.h"
#include "SortedLines.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

// A dictzip file as dictzip(1) writes it: gzip with an "RA" chunk table, each
// chunk deflated up to a full flush so it inflates on its own.
std::string dictzip(const std::string& text, std::size_t chunkLength)
{
    std::vector<std::string> chunks;
    z_stream z {};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    for (std::size_t at = 0; at < text.size(); at += chunkLength) {
        const std::string piece = text.substr(at, chunkLength);
        std::string out(piece.size() + 1024, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        z.avail_in = uInt(piece.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, at + chunkLength >= text.size() ? Z_FINISH : Z_FULL_FLUSH);
        out.resize(out.size() - z.avail_out);
        chunks.push_back(out);
    }
    deflateEnd(&z);
    auto le16 = [](std::string& s, unsigned v) {
        s += char(v & 0xff);
        s += char(v >> 8);
    };
    std::string extra = "RA";
    le16(extra, unsigned(6 + 2 * chunks.size()));
    le16(extra, 1);
    le16(extra, unsigned(chunkLength));
    le16(extra, unsigned(chunks.size()));
    for (const std::string& chunk : chunks)
        le16(extra, unsigned(chunk.size()));
    std::string file = { '\x1f', '\x8b', 8, 4 | 8, 0, 0, 0, 0, 2, 3 }; // FEXTRA | FNAME
    le16(file, unsigned(extra.size()));
    file += extra;
    file += "test.dict";
    file += '\0';
    for (const std::string& chunk : chunks)
        file += chunk;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size()));
    for (int i = 0; i < 4; ++i)
        file += char((crc >> (8 * i)) & 0xff);
    for (int i = 0; i < 4; ++i)
        file += char((text.size() >> (8 * i)) & 0xff);
    return file;
}

std::string base64(std::uint64_t value)
{
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    do {
        out.insert(out.begin(), alphabet[value % 64]);
        value /= 64;
    } while (value);
    return out;
}

// An index and a text of entries given in index order, as dictfmt writes them.
std::pair<std::string, std::string> dictd(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string index, text;
    for (const auto& [key, body] : entries) {
        index += key + "\t" + base64(text.size()) + "\t" + base64(body.size()) + "\n";
        text += body;
    }
    return { index, text };
}

void write(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
}

} // namespace

TEST(SortedLines, FindsEveryLineOfAKeyAndNothingElse)
{
    const std::string text = "a\t1\nrun\t1\nrun\t2\nrun away\t3\nrunning\t4\nz\t5";
    const std::pair<const char*, const char*> cases[] = {
        { "a", "a\t1\n" },
        { "run", "run\t1\nrun\t2\n" },
        { "run away", "run away\t3\n" },
        { "z", "z\t5" }, // the last line has no line break
        { "ru", "" },
        { "runs", "" },
        { "zz", "" },
        { "0", "" },
    };
    for (const auto& [key, lines] : cases)
        EXPECT_EQ(SortedLines::find(text, key, '\t'), lines) << key;
    EXPECT_EQ(SortedLines::find("", "a", '\t'), "");
}

TEST(DictdDictionary, FindsHeadwordsTheWayTheIndexWritesThem)
{
    // FreeDict's keys drop punctuation; Mueller's keep all characters, yet
    // write many hyphenated words without the hyphen. Texts longer than a
    // chunk, so reads straddle chunk borders.
    const std::string longText(300, 'x');
    const auto [freeIndex, freeText] = dictd({ { "00databaseutf8", "info\n" }, { "dont", "dont\n" },
        { "email", "email\n" }, { "house", "house 1\n" + longText }, { "house", "house 2\n" },
        { "motherinlaw", "motherinlaw\n" }, { "straße", "straße\n" }, { "wellknown", "wellknown\n" } });
    const auto [allIndex, allText] = dictd({ { "00-database-allchars", "\n" }, { "don't", "don't\n" },
        { "mother-in-law", "mother-in-law\n" }, { "wellknown", "wellknown\n" } });
    QString error;
    const auto free = DictdDictionary::fromData(freeIndex, dictzip(freeText, 64), &error);
    const auto all = DictdDictionary::fromData(allIndex, allText, &error);
    ASSERT_TRUE(free && all) << error.toStdString();
    const std::pair<const char*, const char*> cases[] = {
        { "well-known", "wellknown\n" },
        { "e-mail", "email\n" },
        { " Mother-in-Law ", "motherinlaw\n" },
        { "don't", "dont\n" },
        { "don’t", "dont\n" },
        { "STRASSE", nullptr }, // no folding beyond case
        { "Straße", "straße\n" },
        { "00databaseutf8", nullptr }, // metadata is not a headword
        { "hous", nullptr },
    };
    for (const auto& [word, text] : cases) {
        const auto found = free->entries(QString::fromUtf8(word));
        EXPECT_EQ(found.empty() ? std::string() : found.front(), text ? std::string(text) : std::string())
            << word;
    }
    EXPECT_EQ(free->entries(QStringLiteral("HOUSE")),
        (std::vector<std::string> { "house 1\n" + longText, "house 2\n" }));
    for (const char* word : { "don't", "don’t", "mother-in-law", "well-known", "wellknown" })
        EXPECT_TRUE(all->contains(QString::fromUtf8(word))) << word;
    EXPECT_FALSE(all->contains(QStringLiteral("dont")));
}

TEST(DictdDictionary, RefusesUnreadableFiles)
{
    QString error;
    EXPECT_FALSE(DictdDictionary::fromData("", "text", &error));
    EXPECT_FALSE(DictdDictionary::fromData("only garbage\n", "text", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(DictdDictionary::fromData(
        "run\tA\tB\n", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03garbage!", 18), &error))
        << "a damaged gzip file is an error, not empty text";
}

TEST(DictionarySet, RebuildsTheReverseIndexWhenItsDictionaryChangesOrTheCacheIsDamaged)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("freedict-eng-rus"));
    const QString cache = dir.filePath(QStringLiteral("cache"));
    const auto cached = [&] { return QDir(cache).entryInfoList(QDir::Files); };
    const auto dictionary = [&](const std::vector<std::pair<std::string, std::string>>& entries) {
        const auto [index, text] = dictd(entries);
        write(base + ".index", index);
        write(base + ".dict", text);
    };
    // Edits the cached index and dates it back, so a rebuild shows in its time.
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    const auto rewriteCache = [&](const std::function<void(QByteArray&)>& edit) {
        QFile file(cached().value(0).filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        edit(bytes);
        file.resize(0);
        file.write(bytes);
        file.flush();
        file.setFileTime(past, QFileDevice::FileModificationTime);
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        const char* term;
        const char* english;
        bool rebuilt;
    } steps[] = {
        { "first start",
            [&] {
                dictionary({ { "dog", "dog /dɒg/\nсобака, пёс\n" } });
            },
            "Собака", "dog", true },
        { "unchanged", [&] { rewriteCache([](QByteArray&) {}); }, "пёс", "dog", false },
        { "truncated", [&] { rewriteCache([](QByteArray& b) { b.chop(b.size() / 2); }); }, "собака", "dog",
            true },
        { "damaged", [&] { rewriteCache([](QByteArray& b) { b.replace("собака", "кошкаа"); }); }, "собака",
            "dog", true },
        { "dictionary changed",
            [&] {
                dictionary({ { "cat", "cat\nкошка\n" }, { "dog", "dog\nсобака\n" } });
            },
            "кошка", "cat", true },
    };
    QString firstName;
    for (const Step& step : steps) {
        step.change();
        const auto set = DictionarySet::load(dir.path(), cache, nullptr);
        set.waitUntilBuilt();
        const auto index = set.reverseIndex(QStringLiteral("ru"));
        ASSERT_TRUE(index) << step.what;
        EXPECT_EQ(index->lookup(QString::fromUtf8(step.term)), QStringList { step.english }) << step.what;
        ASSERT_EQ(cached().size(), 1) << step.what << ": one index per language, stale ones removed";
        EXPECT_EQ(cached()[0].lastModified() != past, step.rebuilt) << step.what;
        if (firstName.isEmpty())
            firstName = cached()[0].fileName();
    }
    EXPECT_NE(firstName, cached()[0].fileName()) << "named after the dictionary it was built from";
}
