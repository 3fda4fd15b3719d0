// The settings block and soft.dat: defaults, range rules, short, long and damaged files, the
// byte offsets of every field, the atomic rewrite, and the history rules.

#include "settings/SettingsBlock.h"
#include "QtPrint.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <csignal>
#include <iterator>
#include <sys/resource.h>
#include <thread>

namespace {

constexpr int kSize = SettingsBlock::BLOCK_SIZE;

int DownAt(int kind)
{
    return kind * 8;
}

int NamingAt(int kind)
{
    return 192 + kind * 484;
}

quint16 U16At(const QByteArray &bytes, int offset)
{
    return static_cast<quint16>(static_cast<unsigned char>(bytes[offset]) |
                                (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

void PutU16(QByteArray &bytes, int offset, quint16 value)
{
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

// `units` UTF-16LE code units of `text` at `offset`, with no terminator.
void PutUnits(QByteArray &bytes, int offset, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        PutU16(bytes, offset + 2 * static_cast<int>(i), text.at(i).unicode());
}

// A block that the range rules leave alone: every kind with 5 workers and a 30 s time-out.
QByteArray ValidBlock()
{
    QByteArray bytes(kSize, '\0');
    for (int kind = 0; kind < SettingsBlock::SITE_KINDS; ++kind) {
        PutU16(bytes, DownAt(kind) + 4, 5);
        PutU16(bytes, DownAt(kind) + 6, 30);
    }
    return bytes;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString Path() const { return SettingsBlock::PathInFolder(dir.path()); }

    void WriteFile(const QByteArray &bytes) const
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray ReadFile() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList FolderEntries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};

TEST_F(SettingsFile, FirstStartWritesTheDefaults)
{
    SettingsBlock settings(Path());
    EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileMissing);

    for (int kind = 0; kind < SettingsBlock::SITE_KINDS; ++kind) {
        EXPECT_EQ(settings.GetDownParams(kind), (DownParams{0, 0, 5, 30})) << kind;
        quint16 bits = OPT_OPEN_FOLDER;
        if (kind == 7)
            bits |= 0x82;
        if (kind == 11 || kind == 16)
            bits |= OPT_FIX_ORDER;
        const NamingRecord naming = settings.GetNaming(kind);
        EXPECT_EQ(naming.optionBits, bits) << kind;
        EXPECT_EQ(naming.fileNameMode, kind == 8 ? NAME_BY_NUMBER : NAME_BY_DESCRIPTION) << kind;
        EXPECT_EQ(naming.folderNameMode, FOLDER_BY_ALBUM) << kind;
        EXPECT_EQ(naming.filePrefix, kind == 17 ? QStringLiteral("?2) ") : QString()) << kind;
    }
    EXPECT_TRUE(settings.History(HISTORY_ADDRESS).isEmpty());

    const QByteArray file = ReadFile();
    ASSERT_EQ(file.size(), kSize);
    EXPECT_EQ(file, settings.Image());
    EXPECT_EQ(U16At(file, DownAt(19) + 4), 5);
    EXPECT_EQ(U16At(file, DownAt(19) + 6), 30);
    EXPECT_EQ(U16At(file, NamingAt(19) + 480), OPT_OPEN_FOLDER);
    EXPECT_EQ(U16At(file, NamingAt(7) + 480), 0x92);
    EXPECT_EQ(static_cast<unsigned char>(file[NamingAt(8) + 482]), 1);
    EXPECT_EQ(file.mid(NamingAt(17), 10), QByteArray("?\0"
                                                     "2\0"
                                                     ")\0"
                                                     " \0"
                                                     "\0\0",
                                                     10));
    EXPECT_EQ(FolderEntries(), QStringList{SettingsBlock::FileName()});
}

struct RangeCase {
    quint16 threads, timeout, wantThreads, wantTimeout;
};

TEST_F(SettingsFile, RangeRulesForWorkersAndTimeOut)
{
    const RangeCase cases[] = {
        {0, 0, 5, 30},      {16, 9, 5, 30}, {15, 10, 15, 10}, {1, 65535, 1, 65535},
        {65535, 10, 5, 10}, {7, 9, 7, 30},  {0, 11, 5, 11},   {14, 1, 14, 30},
    };
    // One case per site kind, all in one file.
    QByteArray bytes(kSize, '\0');
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        PutU16(bytes, DownAt(i) + 0, static_cast<quint16>(100 + i)); // minSizeK
        PutU16(bytes, DownAt(i) + 2, static_cast<quint16>(900 + i)); // maxSizeK
        PutU16(bytes, DownAt(i) + 4, cases[i].threads);
        PutU16(bytes, DownAt(i) + 6, cases[i].timeout);
    }
    WriteFile(bytes);

    SettingsBlock settings(Path());
    EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const DownParams params = settings.GetDownParams(i);
        EXPECT_EQ(params.threadCount, cases[i].wantThreads) << "case " << i;
        EXPECT_EQ(params.timeoutSec, cases[i].wantTimeout) << "case " << i;
        EXPECT_EQ(params.minSizeK, 100 + i);
        EXPECT_EQ(params.maxSizeK, 900 + i);
    }
    // A file that was read gets no defaults.
    EXPECT_EQ(settings.OptionBits(19), 0);
    EXPECT_EQ(settings.GetNaming(17).filePrefix, QString());
    EXPECT_EQ(ReadFile(), settings.Image());
}

TEST_F(SettingsFile, ShortFilesLeaveTheRestZeroAndAreRewrittenWhole)
{
    for (const int length : {0, 1, 101, NamingAt(19) + 481, kSize - 1}) {
        QByteArray bytes = ValidBlock();
        PutU16(bytes, DownAt(0) + 0, 0x0177);
        PutU16(bytes, NamingAt(19) + 480, 0x0140);
        PutUnits(bytes, SettingsBlock::SAVE_PATH_HISTORY_OFFSET + 4 * 800, QStringLiteral("z"));
        WriteFile(bytes.left(length));

        SettingsBlock settings(Path());
        EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead) << length;
        const QByteArray image = settings.Image();
        // What the file held is kept (range rules aside), the rest is zero, then the rules.
        EXPECT_EQ(settings.GetDownParams(0).minSizeK,
                  length >= 2 ? 0x0177 : (length == 1 ? 0x77 : 0))
            << length;
        EXPECT_EQ(settings.GetDownParams(23), (DownParams{0, 0, 5, 30})) << length;
        const int bitsAt = NamingAt(19) + 480;
        EXPECT_EQ(settings.OptionBits(19),
                  length >= bitsAt + 2 ? 0x0140 : (length == bitsAt + 1 ? 0x40 : 0))
            << length;
        EXPECT_EQ(settings.HistoryEntry(HISTORY_SAVE_PATH, 4),
                  length == kSize - 1 ? QStringLiteral("z") : QString())
            << length;
        EXPECT_EQ(image.mid(qMax(length, 200)).count('\0'), kSize - qMax(length, 200)) << length;
        EXPECT_EQ(ReadFile(), image) << length;
    }
}

TEST_F(SettingsFile, LongFilesAreReadUpToTheBlockAndRewrittenAtItsLength)
{
    QByteArray bytes = ValidBlock();
    PutUnits(bytes, SettingsBlock::ADDRESS_HISTORY_OFFSET, QStringLiteral("http://a/"));
    bytes.append(QByteArray(5000, '\x7F'));
    WriteFile(bytes);

    SettingsBlock settings(Path());
    EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(settings.History(HISTORY_ADDRESS), QStringList{QStringLiteral("http://a/")});
    EXPECT_EQ(ReadFile(), bytes.left(kSize));
}

TEST_F(SettingsFile, TextFieldsWithoutTerminatorAreReadOnlyWithinTheirField)
{
    QByteArray bytes = ValidBlock();
    const int naming = NamingAt(19);
    PutUnits(bytes, naming + 0, QString(40, QLatin1Char('A')));   // filePrefix, full
    PutUnits(bytes, naming + 80, QStringLiteral("suffix"));       // fileSuffix
    PutUnits(bytes, naming + 400, QString(40, QLatin1Char('F'))); // folderSuffix, full
    PutU16(bytes, naming + 480, 0x4142);                          // option bits next to it
    const int addresses = SettingsBlock::ADDRESS_HISTORY_OFFSET;
    PutUnits(bytes, addresses + 4 * 800, QString(400, QLatin1Char('B'))); // last address entry
    PutUnits(bytes, addresses + 5 * 800, QStringLiteral("/save/"));       // first save path
    PutUnits(bytes, addresses + 9 * 800, QString(400, QLatin1Char('L'))); // ends the block
    WriteFile(bytes);

    SettingsBlock settings(Path());
    ASSERT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    const NamingRecord record = settings.GetNaming(19);
    EXPECT_EQ(record.filePrefix, QString(40, QLatin1Char('A')));
    EXPECT_EQ(record.fileSuffix, QStringLiteral("suffix"));
    EXPECT_EQ(record.folderSuffix, QString(40, QLatin1Char('F')));
    EXPECT_EQ(record.optionBits, 0x4142);
    EXPECT_EQ(settings.HistoryEntry(HISTORY_ADDRESS, 4), QString(400, QLatin1Char('B')));
    EXPECT_EQ(settings.HistoryEntry(HISTORY_SAVE_PATH, 0), QStringLiteral("/save/"));
    EXPECT_EQ(settings.HistoryEntry(HISTORY_SAVE_PATH, 4), QString(400, QLatin1Char('L')));
    EXPECT_EQ(settings.History(HISTORY_ADDRESS), QStringList{QString(400, QLatin1Char('B'))});
    // The damaged image is kept byte for byte.
    EXPECT_EQ(ReadFile(), bytes);
}

TEST_F(SettingsFile, AFileOfAllOnesLoadsWithoutHarm)
{
    WriteFile(QByteArray(kSize, '\xFF'));
    SettingsBlock settings(Path());
    ASSERT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(settings.GetDownParams(5), (DownParams{0xFFFF, 0xFFFF, 5, 0xFFFF}));
    const NamingRecord record = settings.GetNaming(23);
    EXPECT_EQ(record.replaceTo, QString(40, QChar(0xFFFF)));
    EXPECT_EQ(record.fileNameMode, 0xFF);   // out of range, kept as stored
    EXPECT_EQ(record.folderNameMode, 0xFF); // out of range, kept as stored
    EXPECT_EQ(settings.History(HISTORY_SAVE_PATH).size(), 5);
}

TEST_F(SettingsFile, ModeBytesOutOfRangeSurviveTheRewrite)
{
    QByteArray bytes = ValidBlock();
    bytes[NamingAt(19) + 482] = 7;
    bytes[NamingAt(19) + 483] = static_cast<char>(200);
    PutUnits(bytes, NamingAt(19) + 160, QStringLiteral("ab"));
    PutUnits(bytes, NamingAt(19) + 166, QStringLiteral("junk")); // after the NUL of "ab"
    WriteFile(bytes);

    SettingsBlock settings(Path());
    ASSERT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(settings.GetNaming(19).fileNameMode, 7);
    EXPECT_EQ(settings.GetNaming(19).folderNameMode, 200);
    EXPECT_EQ(settings.GetNaming(19).replaceFrom, QStringLiteral("ab"));
    EXPECT_EQ(ReadFile(), bytes);
}

TEST_F(SettingsFile, EveryFieldIsStoredAtItsOffset)
{
    SettingsBlock settings(Path());
    settings.SetDownParams(3, DownParams{0x0102, 0x0304, 15, 0x1234});
    NamingRecord record;
    record.filePrefix = QStringLiteral("前");
    record.fileSuffix = QStringLiteral("后");
    record.replaceFrom = QStringLiteral("f");
    record.replaceTo = QStringLiteral("t");
    record.folderPrefix = QStringLiteral("[");
    record.folderSuffix = QStringLiteral("]");
    record.optionBits = 0x0155;
    record.fileNameMode = NAME_BY_ADDRESS;
    record.folderNameMode = FOLDER_NONE;
    settings.SetNaming(19, record);
    ASSERT_TRUE(settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("http://x/")));
    ASSERT_TRUE(settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/p/")));
    ASSERT_TRUE(settings.SaveSettings());

    const QByteArray file = ReadFile();
    ASSERT_EQ(file.size(), kSize);
    EXPECT_EQ(file.mid(24, 8), QByteArray("\x02\x01\x04\x03\x0F\x00\x34\x12", 8));
    const int at = 192 + 19 * 484;
    EXPECT_EQ(at, 9388);
    EXPECT_EQ(file.mid(at + 0, 4), QByteArray("\x4D\x52\0\0", 4));  // 前 U+524D, then NUL
    EXPECT_EQ(file.mid(at + 80, 4), QByteArray("\x0E\x54\0\0", 4)); // 后 U+540E
    EXPECT_EQ(file.mid(at + 160, 2), QByteArray("f\0", 2));
    EXPECT_EQ(file.mid(at + 240, 2), QByteArray("t\0", 2));
    EXPECT_EQ(file.mid(at + 320, 2), QByteArray("[\0", 2));
    EXPECT_EQ(file.mid(at + 400, 2), QByteArray("]\0", 2));
    EXPECT_EQ(file.mid(at + 480, 4), QByteArray("\x55\x01\x02\x01", 4));
    EXPECT_EQ(file.mid(11808, 20), QByteArray("h\0t\0t\0p\0:\0/\0/\0x\0/\0\0\0", 20));
    EXPECT_EQ(file.mid(15808, 8), QByteArray("/\0p\0/\0\0\0", 8));
    // Nothing else was written.
    QByteArray rest = file;
    rest.replace(24, 8, QByteArray(8, '\0'));
    rest.replace(at, 484, QByteArray(484, '\0'));
    rest.replace(11808, 800, QByteArray(800, '\0'));
    rest.replace(15808, 800, QByteArray(800, '\0'));
    EXPECT_EQ(rest, QByteArray(kSize, '\0'));

    SettingsBlock reread(Path());
    ASSERT_EQ(reread.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(reread.GetNaming(19), record);
    EXPECT_EQ(reread.GetDownParams(3), (DownParams{0x0102, 0x0304, 15, 0x1234}));
}

TEST_F(SettingsFile, TextsLongerThanTheirFieldAreCutAndTerminated)
{
    SettingsBlock settings(Path());
    NamingRecord record;
    record.filePrefix = QString(60, QLatin1Char('p'));
    record.fileSuffix = QStringLiteral("s");
    settings.SetNaming(2, record);
    const NamingRecord stored = settings.GetNaming(2);
    EXPECT_EQ(stored.filePrefix, QString(NamingRecord::NAMING_TEXT_MAX, QLatin1Char('p')));
    EXPECT_EQ(stored.fileSuffix, QStringLiteral("s"));
    EXPECT_EQ(U16At(settings.Image(), NamingAt(2) + 78), 0);
    EXPECT_EQ(settings.GetNaming(-1), NamingRecord{});
    settings.SetNaming(24, record); // not a site kind: ignored
    EXPECT_EQ(settings.Image(), [&] {
        SettingsBlock only(Path());
        only.SetNaming(2, record);
        return only.Image();
    }());
}

TEST_F(SettingsFile, SavingLeavesNoTemporaryFileBehind)
{
    SettingsBlock settings(Path());
    settings.LoadSettings();
    for (int i = 0; i < 3; ++i) {
        settings.SetOptionBits(19, static_cast<quint16>(i));
        ASSERT_TRUE(settings.SaveSettings());
    }
    EXPECT_EQ(FolderEntries(), QStringList{SettingsBlock::FileName()});
    EXPECT_EQ(U16At(ReadFile(), NamingAt(19) + 480), 2);
}

TEST_F(SettingsFile, AFailedWriteKeepsTheOldFile)
{
    SettingsBlock settings(Path());
    settings.LoadSettings();
    const QByteArray before = ReadFile();
    ASSERT_EQ(before.size(), kSize);

    // Files may not grow beyond 4 KiB while the save runs: its write fails half-way (this
    // limit binds root as well, unlike folder permissions).
    settings.SetOptionBits(19, 0x7F);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = settings.SaveSettings();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(), before);
    EXPECT_EQ(FolderEntries(), QStringList{SettingsBlock::FileName()});
    EXPECT_EQ(settings.OptionBits(19), 0x7F); // kept in memory
}

TEST_F(SettingsFile, AMissingFolderIsReportedAndNothingIsCreated)
{
    SettingsBlock settings(dir.filePath(QStringLiteral("gone/soft.dat")));
    EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileMissing);
    EXPECT_EQ(settings.OptionBits(0), OPT_OPEN_FOLDER); // defaults all the same
    EXPECT_FALSE(settings.SaveSettings());
    EXPECT_TRUE(FolderEntries().isEmpty());
}

TEST_F(SettingsFile, AnUnreadableFileGivesDefaultsAndIsNotReplaced)
{
    // A folder where the file should be: it exists but cannot be read as a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(SettingsBlock::FileName()));
    SettingsBlock settings(Path());
    EXPECT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileUnreadable);
    EXPECT_EQ(settings.GetDownParams(19), (DownParams{0, 0, 5, 30}));
    EXPECT_EQ(settings.OptionBits(19), OPT_OPEN_FOLDER);
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

TEST(SettingsHistory, NewestFirstFiveEntries)
{
    SettingsBlock settings(QStringLiteral("/nonexistent/soft.dat"));
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("http://%1/").arg(i)));
    EXPECT_EQ(settings.History(HISTORY_ADDRESS),
              (QStringList{QStringLiteral("http://6/"), QStringLiteral("http://5/"),
                           QStringLiteral("http://4/"), QStringLiteral("http://3/"),
                           QStringLiteral("http://2/")}));
    EXPECT_TRUE(settings.History(HISTORY_SAVE_PATH).isEmpty()); // kinds are separate
    // The dropped entry may come back; it is new again.
    EXPECT_TRUE(settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("http://1/")));
    EXPECT_EQ(settings.HistoryEntry(HISTORY_ADDRESS, 0), QStringLiteral("http://1/"));
    EXPECT_EQ(settings.HistoryEntry(HISTORY_ADDRESS, 4), QStringLiteral("http://3/"));
}

struct Probe {
    const char *what;
    QString text;
    bool added;
};

TEST(SettingsHistory, WhatIsRefused)
{
    SettingsBlock settings(QStringLiteral("/nonexistent/soft.dat"));
    ASSERT_TRUE(settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/Oldest/Path/")));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/f%1/").arg(i)));
    ASSERT_TRUE(settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/Ä/")));
    // Entries now: /Ä/, /f2/, /f1/, /f0/, /Oldest/Path/

    // Each probe runs on a fresh copy of the five entries above.
    const Probe probes[] = {
        {"399 characters fit", QString(399, QLatin1Char('x')), true},
        {"400 characters do not", QString(400, QLatin1Char('y')), false},
        {"far too long", QString(5000, QLatin1Char('z')), false},
        {"empty", QString(), false},
        {"same as the newest", QStringLiteral("/Ä/"), false},
        {"newest, other case (beyond ASCII)", QStringLiteral("/ä/"), false},
        {"oldest, other case", QStringLiteral("/oldest/PATH/"), false},
        {"a middle entry, upper case", QStringLiteral("/F1/"), false},
        {"contains an entry but is longer", QStringLiteral("/f1/x"), true},
        {"not in the history", QStringLiteral("/new/"), true},
    };
    for (const Probe &probe : probes) {
        SettingsBlock copy(QStringLiteral("/nonexistent/soft.dat"));
        for (int i = 4; i >= 0; --i)
            ASSERT_TRUE(
                copy.AddHistory(HISTORY_SAVE_PATH, settings.HistoryEntry(HISTORY_SAVE_PATH, i)));
        const QStringList before = copy.History(HISTORY_SAVE_PATH);
        EXPECT_EQ(copy.AddHistory(HISTORY_SAVE_PATH, probe.text), probe.added) << probe.what;
        if (probe.added) {
            EXPECT_EQ(copy.History(HISTORY_SAVE_PATH), QStringList{probe.text} + before.mid(0, 4))
                << probe.what;
        } else {
            EXPECT_EQ(copy.History(HISTORY_SAVE_PATH), before) << probe.what;
        }
    }
    EXPECT_FALSE(settings.AddHistory(2, QStringLiteral("/new/")));
    EXPECT_FALSE(settings.AddHistory(-1, QStringLiteral("/new/")));
}

TEST_F(SettingsFile, LoadHandsTheHistoriesOverWithoutEmptyEntries)
{
    QByteArray bytes = ValidBlock();
    const int addresses = SettingsBlock::ADDRESS_HISTORY_OFFSET;
    PutUnits(bytes, addresses + 0 * 800, QStringLiteral("http://0/"));
    PutUnits(bytes, addresses + 2 * 800, QStringLiteral("http://2/"));
    PutUnits(bytes, addresses + 4 * 800, QStringLiteral("http://4/"));
    WriteFile(bytes);

    SettingsBlock settings(Path());
    ASSERT_EQ(settings.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(settings.History(HISTORY_ADDRESS),
              (QStringList{QStringLiteral("http://0/"), QStringLiteral("http://2/"),
                           QStringLiteral("http://4/")}));
    EXPECT_EQ(settings.HistoryEntry(HISTORY_ADDRESS, 1), QString());
    // A duplicate of an entry behind an empty one is still refused.
    EXPECT_FALSE(settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("HTTP://4/")));
}

TEST_F(SettingsFile, SavesFromTwoThreadsLeaveTheLatestImage)
{
    SettingsBlock settings(Path());
    settings.LoadSettings();
    std::thread saver([&settings] {
        for (int i = 0; i < 20; ++i) {
            settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("http://run/%1").arg(i));
            settings.SaveSettings();
        }
    });
    for (int i = 0; i < 20; ++i) {
        settings.SetOptionBits(19, static_cast<quint16>(i));
        settings.SaveSettings();
        (void)settings.GetDownParams(19);
    }
    saver.join();
    ASSERT_TRUE(settings.SaveSettings());
    EXPECT_EQ(ReadFile(), settings.Image());
    EXPECT_EQ(settings.HistoryEntry(HISTORY_ADDRESS, 0), QStringLiteral("http://run/19"));
    EXPECT_EQ(FolderEntries(), QStringList{SettingsBlock::FileName()});
}

} // namespace
