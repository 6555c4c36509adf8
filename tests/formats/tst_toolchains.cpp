// The formats as firmware uses them: each file included by a small firmware
// source the way firmware includes it, assembled or compiled by the toolchain
// Debian ships, and the bytes it placed compared with the display image. A
// missing tool fails the test, naming the package that brings it.
#include "formats/formats.h"
#include "support/display_images.h"
#include "support/intel_hex.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace quillon;
using namespace quillon::test;

namespace {

struct Ran {
    QString problem;  // empty when it ran to the end
    int exitCode = -1;
    QByteArray output;  // stdout then stderr
};

// Runs without a display, as on a build machine.
Ran Run(const QString& dir, const QStringList& command)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(command.first(), command.mid(1));
    Ran ran;
    if (!process.waitForStarted(10000) || !process.waitForFinished(120000) ||
        process.exitStatus() != QProcess::NormalExit) {
        ran.problem = command.join(' ') + ": " + process.errorString();
        return ran;
    }
    ran.exitCode = process.exitCode();
    ran.output = process.readAllStandardOutput() + process.readAllStandardError();
    return ran;
}

// Why `ran` is not a clean run: a failure, a non-zero exit or any warning or
// error in what it printed (MCU 8051 IDE's "0 errors, 0 warnings" aside).
QString Unclean(const QStringList& command, const Ran& ran)
{
    QString printed = QString::fromLocal8Bit(ran.output);
    QString words = printed;
    words.remove(QStringLiteral("0 errors, 0 warnings"));
    if (ran.problem.isEmpty() && ran.exitCode == 0 && !words.contains(QStringLiteral("warning"), Qt::CaseInsensitive) &&
        !words.contains(QStringLiteral("error"), Qt::CaseInsensitive))
        return {};
    return QStringLiteral("%1: %2 exit %3\n%4").arg(command.join(' '), ran.problem).arg(ran.exitCode).arg(printed);
}

// The Debian package of each tool, and how it tells its version.
struct Tool {
    const char* program;
    const char* package;
    QStringList versionCommand;
    const char* versionPattern;
};

const Tool Tools[] = {
    {"as31", "as31", {"as31", "-h"}, "AS31 \\S+"},
    {"sdas8051", "sdcc", {"sdas8051", "-h"}, "sdas Assembler \\S+"},
    {"sdld", "sdcc", {"sdld"}, "sdld Linker \\S+"},
    {"sdcc", "sdcc", {"sdcc", "--version"}, "\\d+\\.\\d+\\.\\d+ #\\d+"},
    {"mcu8051ide", "mcu8051ide", {"mcu8051ide", "--help"}, "MCU 8051 IDE v\\S+"},
    {"cc", "gcc", {"cc", "--version"}, "^cc .*"},
};

// Empty when every program of `commands` is installed; otherwise which
// package to install. Logs each tool's version once.
QString Missing(const QList<QStringList>& commands)
{
    static QSet<QString> logged;
    for (const QStringList& command : commands) {
        for (const Tool& tool : Tools) {
            if (command.first() != tool.program)
                continue;
            if (QStandardPaths::findExecutable(tool.program).isEmpty()) {
                return QStringLiteral("%1 is not installed: install the Debian package %2 (./test installs it)")
                    .arg(tool.program, tool.package);
            }
            if (!logged.contains(tool.program)) {
                logged.insert(tool.program);
                const Ran ran = Run(QDir::tempPath(), tool.versionCommand);
                const auto match = QRegularExpression(tool.versionPattern, QRegularExpression::MultilineOption)
                                       .match(QString::fromLocal8Bit(ran.output));
                qInfo("%s: %s", tool.program, qPrintable(match.hasMatch() ? match.captured() : "version not shown"));
            }
        }
    }
    return {};
}

bool WriteText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How each firmware takes its table: the file written in `format` under its
// default name, included at 0100H by `firmware` (@FILE@ stands for the
// name), built by `commands` into the Intel HEX file `hex`. Each firmware
// starts with MOV DPTR,#logo, so the label is proven as well.
struct Firmware {
    const char* format;
    const char* source;
    QByteArray firmware;
    QList<QStringList> commands;
    const char* hex;
};

const Firmware& FirmwareFor(const QString& assembler)
{
    static const std::map<QString, Firmware> firmware{
        {"as31",
         {"as31",
          "firmware.asm",
          "        .org 0\n"
          "start:  mov dptr, #logo\n"
          "        sjmp start\n"
          "        .org 0x100\n"
          "        .inc \"@FILE@\"\n"
          "        .end\n",
          {{"as31", "firmware.asm"}},
          "firmware.hex"}},
        {"sdas8051",
         {"sdas",
          "firmware.s",
          "        .module firmware\n"
          "        .area CSEG (ABS,CODE)\n"
          "        .org 0\n"
          "start:  mov dptr, #logo\n"
          "        sjmp start\n"
          "        .org 0x100\n"
          "        .include \"@FILE@\"\n",
          {{"sdas8051", "-o", "firmware.s"}, {"sdld", "-n", "-i", "firmware.ihx", "firmware.rel"}},
          "firmware.ihx"}},
        {"mcu8051ide",
         {"a51",
          "firmware.a51",
          "        ORG 0\n"
          "START:  MOV DPTR, #logo\n"
          "        SJMP START\n"
          "        ORG 100H\n"
          "$INCLUDE (@FILE@)\n"
          "        END\n",
          {{"mcu8051ide", "--nocolor", "--no-plugins", "--assemble", "firmware.a51"}},
          "firmware.hex"}},
    };
    return firmware.at(assembler);
}

QByteArray Hex(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper();
}

// What the tests write: each test image, and an animation of three of them.
struct Table {
    QString name;
    std::vector<Frame> frames;  // one frame: a table of one image
    std::string WrittenIn(const Format& format) const
    {
        const WriteOptions options{"logo", "test.bmp"};
        return frames.size() == 1 ? format.Write(frames[0].image, options) : format.WriteFrames(frames, options);
    }
    std::vector<std::uint8_t> Bytes() const
    {
        return frames.size() == 1 ? BytesOf(frames[0].image, ByteOrder::Display) : AnimationBytes(frames);
    }
};

const QList<Table>& Tables()
{
    static const QList<Table> tables = [] {
        QList<Table> all;
        for (const NamedImage& image : TestImages())
            all << Table{image.name, {Frame{image.image, 0}}};
        all << Table{"an animation",
                     {Frame{TestImages()[0].image, 100}, Frame{TestImages()[1].image, 2500},
                      Frame{TestImages()[3].image, 65535}}};
        return all;
    }();
    return tables;
}

}  // namespace

class ToolchainsTest : public QObject {
    Q_OBJECT
private slots:
    void assembles_data()
    {
        QTest::addColumn<QString>("assembler");
        QTest::addColumn<int>("image");
        for (const char* assembler : {"as31", "sdas8051", "mcu8051ide"}) {
            for (int k = 0; k < Tables().size(); ++k)
                QTest::addRow("%s, %s", assembler, qPrintable(Tables()[k].name)) << QString(assembler) << k;
        }
    }
    void assembles()
    {
        QFETCH(QString, assembler);
        QFETCH(int, image);
        const Firmware& recipe = FirmwareFor(assembler);
        if (const QString missing = Missing(recipe.commands); !missing.isEmpty())
            QFAIL(qPrintable(missing));
        const Table& shown = Tables()[image];
        const std::vector<std::uint8_t> bytes = shown.Bytes();
        const Format& format = *FindFormat(recipe.format);
        const QString table = QString::fromStdString(DefaultOutputName(format, "test"));
        QTemporaryDir dir;
        QVERIFY(WriteText(dir.filePath(table), QByteArray::fromStdString(shown.WrittenIn(format))));
        QVERIFY(WriteText(dir.filePath(recipe.source), QByteArray(recipe.firmware).replace("@FILE@", table.toUtf8())));
        for (const QStringList& command : recipe.commands) {
            const QString unclean = Unclean(command, Run(dir.path(), command));
            QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
        }
        QString error;
        const auto memory = ParseIntelHex(ReadAll(dir.filePath(recipe.hex)), error);
        QVERIFY2(memory, qPrintable(error));
        const auto data = BytesAt(*memory, 0x100, bytes.size());
        QVERIFY2(data, "the table is not all in the HEX file");
        QCOMPARE(Hex(*data), Hex(bytes));
        QCOMPARE(Hex(*BytesAt(*memory, 0, 3)), QByteArray("900100"));  // MOV DPTR,#0100H: the label's address
        QCOMPARE(memory->size(), 5 + bytes.size());                    // and nothing else
    }

    void compiles_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<int>("image");
        for (const char* compiler : {"sdcc", "cc"}) {
            for (int k = 0; k < Tables().size(); ++k)
                QTest::addRow("%s, %s", compiler, qPrintable(Tables()[k].name)) << QString(compiler) << k;
        }
    }
    void compiles()
    {
        QFETCH(QString, compiler);
        QFETCH(int, image);
        const bool sdcc = compiler == "sdcc";
        const QList<QStringList> commands =
            sdcc ? QList<QStringList>{{"sdcc", "-mmcs51", "main.c"}}
                 : QList<QStringList>{{"cc", "-std=c89", "-Wall", "-Wextra", "-pedantic", "-o", "show", "main.c"}};
        if (const QString missing = Missing(commands); !missing.isEmpty())
            QFAIL(qPrintable(missing));
        const Table& shown = Tables()[image];
        const std::vector<std::uint8_t> bytes = shown.Bytes();
        const Format& format = *FindFormat("c");
        const QString header = QString::fromStdString(DefaultOutputName(format, "test"));
        QTemporaryDir dir;
        QVERIFY(WriteText(dir.filePath(header), QByteArray::fromStdString(shown.WrittenIn(format))));
        // An array of one image, or an animation's struct: its bytes in order either way.
        const QByteArray main = sdcc ? "#include \"@FILE@\"\n"
                                       "\n"
                                       "void main(void)\n"
                                       "{\n"
                                       "    volatile unsigned char first = *(const unsigned char*)&logo;\n"
                                       "    (void)first;\n"
                                       "}\n"
                                     : "#include <stdio.h>\n"
                                       "#include \"@FILE@\"\n"
                                       "\n"
                                       "int main(void)\n"
                                       "{\n"
                                       "    int k;\n"
                                       "    for (k = 0; k < (int)sizeof logo; ++k)\n"
                                       "        printf(\"%02X\", ((const unsigned char*)&logo)[k]);\n"
                                       "    return 0;\n"
                                       "}\n";
        QVERIFY(WriteText(dir.filePath("main.c"), QByteArray(main).replace("@FILE@", header.toUtf8())));
        const QString unclean = Unclean(commands.first(), Run(dir.path(), commands.first()));
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
        if (!sdcc) {
            const Ran shownBytes = Run(dir.path(), {dir.filePath("show")});
            QCOMPARE(shownBytes.exitCode, 0);
            QCOMPARE(shownBytes.output, Hex(bytes));
            return;
        }
        // Where the linker put the array, from its map; SDCC keeps const data in code memory.
        const auto placed = QRegularExpression("^C:\\s+([0-9A-F]{8})\\s+_logo\\s", QRegularExpression::MultilineOption)
                                .match(QString::fromLatin1(ReadAll(dir.filePath("main.map"))));
        QVERIFY2(placed.hasMatch(), "_logo is not in code memory in main.map");
        QString error;
        const auto memory = ParseIntelHex(ReadAll(dir.filePath("main.ihx")), error);
        QVERIFY2(memory, qPrintable(error));
        const auto data = BytesAt(*memory, placed.captured(1).toUInt(nullptr, 16), bytes.size());
        QVERIFY2(data, "the array is not all in main.ihx");
        QCOMPARE(Hex(*data), Hex(bytes));
    }

    // Why the formats exist: the window's listing, with A0H-FFH items, is not
    // taken as it is.
    void windowListingIsRefused_data()
    {
        QTest::addColumn<QString>("assembler");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("MCU 8051 IDE reads FFH as a symbol") << "mcu8051ide"
                                                            << "Undefined symbol name: ffh";
        QTest::newRow("as31 reads FFH as a symbol, as .db") << "as31"
                                                            << "Warning, line 1, Undefined symbol FFH.";
        QTest::newRow("sdas8051 has no DB") << "sdas8051"
                                            << "Error: <o> .org in REL area or directive / mnemonic error";
    }
    void windowListingIsRefused()
    {
        QFETCH(QString, assembler);
        QFETCH(QString, complaint);
        const Firmware& recipe = FirmwareFor(assembler);
        if (const QString missing = Missing(recipe.commands); !missing.isEmpty())
            QFAIL(qPrintable(missing));
        QByteArray listing = QByteArray::fromStdString(FindFormat("listing")->Write(TestImages()[3].image, {}));
        if (assembler == "as31")
            listing.replace(" DB ", " .db ");  // its own directive, the items as the window wrote them
        QTemporaryDir dir;
        QVERIFY(WriteText(dir.filePath("lcd_test.txt"), "logo:\r\n" + listing));
        QVERIFY(WriteText(dir.filePath(recipe.source), QByteArray(recipe.firmware).replace("@FILE@", "lcd_test.txt")));
        const Ran ran = Run(dir.path(), recipe.commands.first());
        QVERIFY2(ran.problem.isEmpty(), qPrintable(ran.problem));
        QVERIFY2(ran.exitCode != 0, ran.output.constData());
        QVERIFY2(QString::fromLocal8Bit(ran.output).contains(complaint), ran.output.constData());
        if (assembler == "as31") {
            // It still writes a HEX file, with 00 in place of every item.
            QString error;
            const auto memory = ParseIntelHex(ReadAll(dir.filePath(recipe.hex)), error);
            QVERIFY2(memory, qPrintable(error));
            QCOMPARE(Hex(*BytesAt(*memory, 0x100, DisplayBytes)), QByteArray(2 * DisplayBytes, '0'));
        }
    }
};

QTEST_GUILESS_MAIN(ToolchainsTest)
#include "tst_toolchains.moc"
