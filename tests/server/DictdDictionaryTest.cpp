// SPDX-License-Identifier: MIT
#include "DictdDictionary.h"
#include "DictZip.h"
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

// The text of a gzip file, inflated whole.
std::string gunzip(const QString& path)
{
    std::string text;
    gzFile file = gzopen(QFile::encodeName(path).constData(), "rb");
    char buffer[65536];
    for (int got; (got = gzread(file, buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(got));
    gzclose(file);
    return text;
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
    // write many hyphenated words without the hyphen.
    const auto [freeIndex, freeText] = dictd({ { "00databaseutf8", "info\n" }, { "dont", "dont\n" },
        { "email", "email\n" }, { "house", "house 1\n" }, { "house", "house 2\n" },
        { "motherinlaw", "motherinlaw\n" }, { "straße", "straße\n" }, { "wellknown", "wellknown\n" } });
    const auto [allIndex, allText] = dictd({ { "00-database-allchars", "\n" }, { "don't", "don't\n" },
        { "mother-in-law", "mother-in-law\n" }, { "wellknown", "wellknown\n" } });
    QString error;
    const auto free = DictdDictionary::fromData(freeIndex, freeText, &error);
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
    EXPECT_EQ(
        free->entries(QStringLiteral("HOUSE")), (std::vector<std::string> { "house 1\n", "house 2\n" }));
    for (const char* word : { "don't", "don’t", "mother-in-law", "well-known", "wellknown" })
        EXPECT_TRUE(all->contains(QString::fromUtf8(word))) << word;
    EXPECT_FALSE(all->contains(QStringLiteral("dont")));
}

// Debian's dictzip files read at their start, across the borders of their
// chunks (dictzip's default chunk holds 58,315 bytes) and at their end.
TEST(DictZip, ReadsWhatGzipReadsAnywhereInTheText)
{
    const QString path = QStringLiteral("/usr/share/dictd/freedict-eng-fra.dict.dz");
    const std::string text = gunzip(path);
    QString error;
    const auto dictzip = DictZip::load(path, &error);
    ASSERT_TRUE(dictzip) << error.toStdString();
    ASSERT_EQ(dictzip->textSize(), text.size());
    for (const std::size_t at : { 0ul, 58315ul - 10, 3 * 58315ul - 1, text.size() - 5 })
        EXPECT_EQ(dictzip->read(at, 200), text.substr(at, 200)) << at;
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
