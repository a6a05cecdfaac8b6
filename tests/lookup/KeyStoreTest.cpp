// SPDX-License-Identifier: MIT
// libsecret first: GLib names struct members "signals", which Qt defines as a macro.
#include <libsecret/secret.h>

#include "FallbackSecretStore.h"
#include "FileSecretStore.h"
#include "GeminiKeyManager.h"
#include "Keychain.h"
#include "SecretServiceStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The program's items as any Secret Service client sees them: string
// attributes "service" and "account". The test writes and counts them through
// libsecret itself, independently of the code under test.
const SecretSchema* itemSchema()
{
    static const SecretSchema instance = [] {
        SecretSchema schema {};
        schema.name = "test.sorvantel";
        schema.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        schema.attributes[0] = { "service", SECRET_SCHEMA_ATTRIBUTE_STRING };
        schema.attributes[1] = { "account", SECRET_SCHEMA_ATTRIBUTE_STRING };
        return schema;
    }();
    return &instance;
}

void storeRaw(const QByteArray& bytes)
{
    GError* error = nullptr;
    SecretValue* value = secret_value_new(bytes.constData(), bytes.size(), "text/plain");
    secret_password_store_binary_sync(itemSchema(), SECRET_COLLECTION_DEFAULT, "written by a test", value,
        nullptr, &error, "service", "com.sorvantel.gemini", "account", "apiKey", nullptr);
    secret_value_unref(value);
    ASSERT_EQ(error, nullptr) << error->message;
}

int countItems()
{
    GError* error = nullptr;
    GList* items = secret_password_search_sync(itemSchema(), SECRET_SEARCH_ALL, nullptr, &error, "service",
        "com.sorvantel.gemini", "account", "apiKey", nullptr);
    EXPECT_EQ(error, nullptr) << error->message;
    const int count = int(g_list_length(items));
    g_list_free_full(items, g_object_unref);
    return count;
}

int modeOf(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

// The real keyring of the test run's session (scripts/headless).
class KeyStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(SecretServiceStore().read("probe", "probe").status, SecretStore::Status::unavailable)
            << "no Secret Service in this session: run the tests through scripts/headless";
        GeminiKeyManager::remove();
    }
    void TearDown() override { GeminiKeyManager::remove(); }
};

TEST_F(KeyStore, SaveReplaceAndDeleteInTheKeyring)
{
    EXPECT_EQ(GeminiKeyManager::read(), std::nullopt);
    EXPECT_FALSE(GeminiKeyManager::hasKey());
    EXPECT_EQ(GeminiKeyManager::maskedKey(), std::nullopt);

    GeminiKeyManager::save("first-key");
    EXPECT_EQ(GeminiKeyManager::read(), "first-key");
    EXPECT_TRUE(GeminiKeyManager::hasKey());

    GeminiKeyManager::save("second-key");
    EXPECT_EQ(GeminiKeyManager::read(), "second-key");
    EXPECT_EQ(countItems(), 1);

    GeminiKeyManager::remove();
    EXPECT_EQ(GeminiKeyManager::read(), std::nullopt);
    EXPECT_EQ(countItems(), 0);
    GeminiKeyManager::remove(); // nothing there: nothing happens
    EXPECT_EQ(countItems(), 0);

    GeminiKeyManager::save("third-key");
    EXPECT_EQ(GeminiKeyManager::read(), "third-key");
    EXPECT_EQ(countItems(), 1);

    // Reads after the first come from memory: none waits on the keyring.
    Keychain::remove(GeminiKeyManager::service, GeminiKeyManager::account);
    storeRaw("changed-by-another-program");
    EXPECT_EQ(GeminiKeyManager::read(), "third-key");
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(GeminiKeyManager::read(), "changed-by-another-program");
}

TEST_F(KeyStore, StoredBytesReadAsUtf8OrNotAtAll)
{
    storeRaw("\xff\xfe-not-utf8");
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(countItems(), 1);
    EXPECT_EQ(GeminiKeyManager::read(), std::nullopt);
    EXPECT_FALSE(GeminiKeyManager::hasKey());
    EXPECT_EQ(GeminiKeyManager::maskedKey(), std::nullopt);

    storeRaw("\xd0\xba\xd0\xbb\xd1\x8e\xd1\x87"); // Cyrillic, valid UTF-8
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(GeminiKeyManager::read(), QStringLiteral(u"\u043A\u043B\u044E\u0447"));

    storeRaw(QByteArray("a\0b", 3)); // a NUL does not cut the key short
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(GeminiKeyManager::read(), QString::fromUtf8("a\0b", 3));
}

TEST_F(KeyStore, MaskedKeyShowsTheLastFourCharacters)
{
    const struct {
        QString key;
        QString masked;
    } cases[] = {
        { "AIzaSyA1234567890wxyz", u"\u2022\u2022\u2022\u2022wxyz"_qs },
        { "abc", u"\u2022\u2022\u2022\u2022abc"_qs },
        { "abcd", u"\u2022\u2022\u2022\u2022abcd"_qs },
        { "", u"\u2022\u2022\u2022\u2022"_qs },
        // An accent written as its own code point stays with its letter.
        { u"key-cafe\u0301"_qs, u"\u2022\u2022\u2022\u2022cafe\u0301"_qs },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        GeminiKeyManager::save(c.key);
        EXPECT_TRUE(GeminiKeyManager::hasKey());
        EXPECT_EQ(GeminiKeyManager::maskedKey(), c.masked);
    }
}

TEST_F(KeyStore, AKeySavedWithoutAKeyringMovesIntoItWhenOneRuns)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("secrets.json");
    FileSecretStore file(path);
    file.save("left-from-a-session-without-keyring", "com.sorvantel.gemini", "apiKey");
    file.save("other", "other.service", "apiKey");
    FallbackSecretStore store(
        std::make_unique<SecretServiceStore>(), std::make_unique<FileSecretStore>(path));
    EXPECT_EQ(store.read("com.sorvantel.gemini", "apiKey").secret, "left-from-a-session-without-keyring");

    EXPECT_EQ(store.save("new-key", "com.sorvantel.gemini", "apiKey"), SecretStore::Status::ok);
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(GeminiKeyManager::read(), "new-key");
    EXPECT_EQ(file.read("com.sorvantel.gemini", "apiKey").status, SecretStore::Status::notFound);
    EXPECT_EQ(file.read("other.service", "apiKey").secret, "other");

    file.save("left-again", "com.sorvantel.gemini", "apiKey");
    EXPECT_EQ(store.remove("com.sorvantel.gemini", "apiKey"), SecretStore::Status::ok);
    GeminiKeyManager::forgetCachedKey();
    EXPECT_EQ(GeminiKeyManager::read(), std::nullopt);
    EXPECT_EQ(file.read("com.sorvantel.gemini", "apiKey").status, SecretStore::Status::notFound);
}

TEST(FileSecretStore, EachUnreadableFileIsSetAsideNotOverwritten)
{
    QTemporaryDir home;
    const QString path = home.filePath("secrets.json");
    auto damage = [&path](const QByteArray& secret) {
        QFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("{\"items\": [{\"service\": \"s\", \"account\": \"a\", \"secret\": \"" + secret);
    };

    FileSecretStore store(path);
    // Twice within the same second: the second copy must not replace the first.
    for (const QByteArray& secret : { QByteArray("first"), QByteArray("second") }) {
        SCOPED_TRACE(secret.constData());
        damage(secret);
        EXPECT_EQ(store.read("s", "a").status, SecretStore::Status::failed);
        EXPECT_EQ(store.save("fresh", "s", "b"), SecretStore::Status::ok);
        EXPECT_EQ(store.read("s", "b").secret, "fresh");
    }
    QStringList kept;
    for (const QFileInfo& aside :
        QDir(home.path()).entryInfoList({ "secrets.json.unreadable-*" }, QDir::Files)) {
        QFile file(aside.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        kept << QString::fromUtf8(file.readAll().split('"').last());
    }
    kept.sort();
    EXPECT_EQ(kept, (QStringList { "first", "second" }));
}

TEST(FileSecretStore, AFileThatCannotBeSetAsideIsNeitherOverwrittenNorReportedSaved)
{
    // A folder where the file should be: unreadable as a file, and no link
    // can be made to it.
    QTemporaryDir home;
    const QString path = home.filePath("secrets.json");
    ASSERT_TRUE(QDir(home.path()).mkdir("secrets.json"));
    FileSecretStore store(path);
    EXPECT_EQ(store.save("fresh", "s", "b"), SecretStore::Status::failed);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(
        QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList { "secrets.json" })
        << "no copy and no stray temporary file";
}

// The probe runs in a D-Bus session of its own: a process keeps the first bus
// connection it makes, so this process cannot be moved to another bus.
class KeyStoreSession : public ::testing::Test {
protected:
    struct Run {
        bool finished = false;
        QStringList lines; // without the timings
    };

    QString dataFile() const { return m_dir.filePath("data/sorvantel/secrets.json"); }

    Run runProbe(const QStringList& dbusRunSessionArguments, const QStringList& actions)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        // A home of its own, so that a keyring started on this bus neither
        // finds the test run's keyring nor leaves files in its folders.
        for (const char* folder : { "home", "data", "config", "runtime" })
            QDir(m_dir.path()).mkpath(folder);
        QFile::setPermissions(
            m_dir.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert("HOME", m_dir.filePath("home"));
        environment.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", m_dir.filePath("runtime"));

        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(
            "dbus-run-session", dbusRunSessionArguments + QStringList { "--", KEYSTORE_PROBE } + actions);
        Run run;
        run.finished = process.waitForFinished(20000);
        if (!run.finished) {
            process.kill();
            process.waitForFinished();
        }
        // Services started on the probe's bus share its output; keep the probe's lines.
        static const QRegularExpression probeLine(QStringLiteral("^(save|remove|read=.*) \\d+ms$"));
        for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
            const QRegularExpressionMatch match = probeLine.match(line);
            if (!match.hasMatch())
                continue;
            std::printf("  probe: %s\n", qPrintable(line));
            run.lines << match.captured(1);
        }
        return run;
    }

    QTemporaryDir m_dir;
};

TEST_F(KeyStoreSession, WithoutASecretServiceTheKeyLivesInAPrivateFile)
{
    // A bus on which no service is running and none can be started.
    const QString config = m_dir.filePath("bus.conf");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>\n"
               "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    file.close();

    const Run saved
        = runProbe({ "--config-file", config }, { "read", "save=key-1", "read", "save=key-2", "read" });
    ASSERT_TRUE(saved.finished);
    EXPECT_EQ(saved.lines, (QStringList { "read=none", "save", "read=key-1", "save", "read=key-2" }));
    EXPECT_EQ(modeOf(dataFile()), 0600);
    EXPECT_EQ(modeOf(QFileInfo(dataFile()).absolutePath()), 0700);
    QFile stored(dataFile());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_FALSE(stored.readAll().contains("key-2")) << "kept as plain text";

    const Run removed = runProbe({ "--config-file", config }, { "read", "remove", "read" });
    ASSERT_TRUE(removed.finished);
    EXPECT_EQ(removed.lines, (QStringList { "read=key-2", "remove", "read=none" }));
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
}

TEST_F(KeyStoreSession, AKeyringWaitingForItsPasswordIsGivenUpOn)
{
    // The standard session bus starts gnome-keyring on demand; with no login
    // keyring yet, saving opens its password prompt (on the test display),
    // which nobody answers.
    const Run run = runProbe({}, { "save=key-1", "read" });
    ASSERT_TRUE(run.finished) << "a key store call waited on the prompt";
    EXPECT_EQ(run.lines, (QStringList { "save", "read=none" }));
    EXPECT_FALSE(QFileInfo::exists(dataFile())) << "a failed save must not move the key to the file";
}

} // namespace
