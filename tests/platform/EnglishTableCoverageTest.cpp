// Every text key the code hands to the lookup has an English entry with the same placeholders.
// The keys are collected from the source tree: every Russian string literal (the keys are the
// Russian texts, in calls, tables and templates alike) and every literal passed straight to a
// lookup call, whatever its script.
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/LocalizedText.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

struct Literal
{
    QString text;
    QString where;       // file:line
    qsizetype start = 0; // offset of its opening quote in the comment-free source
};

// The source with comments blanked (string literals kept), and its literals; adjacent
// literals are joined as the compiler joins them.
struct ScannedSource
{
    QString code;
    QList<Literal> literals;
};

QChar unescape(const QString &source, qsizetype &i)
{
    const QChar c = source.at(i);
    switch (c.unicode()) {
    case 'n':
        return QChar(u'\n');
    case 't':
        return QChar(u'\t');
    case 'u': {
        const QChar decoded(char16_t(source.mid(i + 1, 4).toUShort(nullptr, 16)));
        i += 4;
        return decoded;
    }
    default:
        return c; // \" \\ \'
    }
}

ScannedSource scan(const QString &source, const QString &name)
{
    ScannedSource result;
    QString &code = result.code;
    code.reserve(source.size());
    int line = 1;
    qsizetype lastEnd = -1;
    for (qsizetype i = 0; i < source.size();) {
        const QChar c = source.at(i);
        if (c == u'/' && source.mid(i, 2) == QStringLiteral("//")) {
            while (i < source.size() && source.at(i) != u'\n')
                code.append(u' '), ++i;
            continue;
        }
        if (c == u'/' && source.mid(i, 2) == QStringLiteral("/*")) {
            const qsizetype close = source.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = close < 0 ? source.size() : close + 2;
            for (; i < stop; ++i) {
                line += source.at(i) == u'\n';
                code.append(source.at(i) == u'\n' ? u'\n' : u' ');
            }
            continue;
        }
        if (c == u'\'') { // a character literal, possibly '"'
            const qsizetype start = i++;
            while (i < source.size() && source.at(i) != u'\'')
                i += source.at(i) == u'\\' ? 2 : 1;
            code.append(source.mid(start, ++i - start));
            continue;
        }
        if (c != u'"') {
            line += c == u'\n';
            code.append(c);
            ++i;
            continue;
        }
        QString text;
        const int startLine = line;
        const qsizetype start = code.size();
        code.append(c);
        for (++i; i < source.size() && source.at(i) != u'"'; ++i) {
            code.append(source.at(i));
            if (source.at(i) == u'\\') {
                ++i;
                code.append(source.at(i));
                text.append(unescape(source, i));
            } else {
                text.append(source.at(i));
            }
        }
        code.append(u'"');
        ++i;
        // Only white space since the previous literal: the compiler joins the two.
        if (lastEnd >= 0 && code.mid(lastEnd, start - lastEnd).trimmed().isEmpty())
            result.literals.last().text += text;
        else
            result.literals.append({text, name + u':' + QString::number(startLine), start});
        lastEnd = code.size();
    }
    return result;
}

bool isRussian(const QString &text)
{
    static const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return kCyrillic.match(text).hasMatch();
}

// Russian literals that are no keys: shown as they stand, chosen by the code per language, or
// never shown.
const QSet<QString> kShownAsTheyStand = {
    QStringLiteral("Русский"), // the language picker's own label
    // Byte counts and source counts, written per language by their formatters.
    QStringLiteral(" байт"),
    QStringLiteral("0 КБ"),
    QStringLiteral("КБ"),
    QStringLiteral("МБ"),
    QStringLiteral("ГБ"),
    QStringLiteral("ТБ"),
    QStringLiteral("ПБ"),
    QStringLiteral(" источника"),
    // Key names a hotkey may be typed with, and the Russian keyboard row.
    QStringLiteral("ПРОБЕЛ"),
    QStringLiteral("ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ"),
    // The waveform cache's own error, only written to the log.
    QStringLiteral("Аудиофайл временно недоступен для waveform."),
};

// Every key in the source tree, with where it was seen first.
QMap<QString, QString> collectKeys()
{
    // The literal right after a lookup call's opening, through the usual string wrappers.
    static const QRegularExpression kLookup(
        QStringLiteral("(?:BrivelloLocalization::(?:string|format)|LocalizedText(?:::format)?)"
                       "\\(\\s*(?:QStringLiteral\\(|QString::fromUtf8\\(|QString\\(|u)?\\s*$"));
    QMap<QString, QString> keys;
    const QString root = QStringLiteral(BRIVELLO_SOURCE_DIR);
    for (const QString &folder : {QStringLiteral("/src"), QStringLiteral("/waveform")}) {
        QDirIterator files(root + folder,
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                           QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly))
                continue;
            const ScannedSource source =
                scan(QString::fromUtf8(in.readAll()), file.mid(root.size() + 1));
            for (const Literal &literal : source.literals) {
                // The code in front of the literal, back to the statement's start.
                const qsizetype front = source.code.lastIndexOf(
                    QRegularExpression(QStringLiteral("[;{}]")), literal.start);
                const QString before = source.code.mid(front + 1, literal.start - front - 1);
                const bool passed = kLookup.match(before).hasMatch();
                if ((isRussian(literal.text) && !kShownAsTheyStand.contains(literal.text)) ||
                    passed) {
                    if (!keys.contains(literal.text))
                        keys.insert(literal.text, literal.where);
                }
            }
        }
    }
    return keys;
}

QHash<QString, QString> englishTable()
{
    QFile file(QStringLiteral(":/i18n/en.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    QHash<QString, QString> table;
    for (auto it = object.begin(); it != object.end(); ++it)
        table.insert(it.key(), it.value().toString());
    return table;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression kPlaceholder(
        QStringLiteral("%(?:\\d+\\$)?(?:\\.\\d+)?(?:@|lld|ld|d|i|u|s|f)"));
    QStringList found;
    for (auto it = kPlaceholder.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

TEST(EnglishTableCoverageTest, TheScannerFindsKeysInCallsTablesAndJoinedTemplates)
{
    const ScannedSource source =
        scan(QStringLiteral(
                 "// \"Комментарий\"\nx = BrivelloLocalization::format(QStringLiteral(\"А %d \"\n"
                 "    \"Б\"), n); char q = '\"'; y = {\"Ключ\", \"k\"};"),
             QStringLiteral("f.cpp"));
    QStringList texts;
    for (const Literal &literal : source.literals)
        texts << literal.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("А %d Б"), "Ключ", "k"}));
    EXPECT_EQ(source.literals.first().where, QStringLiteral("f.cpp:2"));
    const QMap<QString, QString> keys = collectKeys();
    EXPECT_TRUE(keys.contains(QStringLiteral("Плейлист")));
    EXPECT_TRUE(keys.contains(QStringLiteral("Cyan"))) << "a non-Russian key passed to the lookup";
    EXPECT_TRUE(keys.contains(
        QStringLiteral("Выраженного раннего среза не найдено. Это не гарантирует качество "
                       "исходного мастера.")));
    EXPECT_GT(keys.size(), 300);
}

TEST(EnglishTableCoverageTest, EveryKeyInTheCodeHasAnEnglishEntryWithItsPlaceholders)
{
    const QHash<QString, QString> english = englishTable();
    ASSERT_FALSE(english.isEmpty());
    const QMap<QString, QString> keys = collectKeys();
    QStringList missing;
    QStringList mismatched;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const auto entry = english.constFind(it.key());
        if (entry == english.cend())
            missing << it.value() + QStringLiteral(": ") + it.key();
        else if (placeholders(*entry) != placeholders(it.key()))
            mismatched << it.value() + QStringLiteral(": ") + it.key() + QStringLiteral(" → ") +
                              *entry;
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.size() << " keys without an English entry:\n"
                                   << missing.join(u'\n').toStdString();
    EXPECT_TRUE(mismatched.isEmpty()) << mismatched.join(u'\n').toStdString();
}

TEST(EnglishTableCoverageTest, ColourPresetNamesHaveRussianAndEnglishTexts)
{
    Defaults::standard().resetForTesting();
    EXPECT_EQ(BrivelloLocalization::string(QStringLiteral("Cyan")), QStringLiteral("Голубой"));
    EXPECT_EQ(BrivelloLocalization::string(QStringLiteral("Violet")), QStringLiteral("Фиолетовый"));
    EXPECT_EQ(BrivelloLocalization::string(QStringLiteral("Lime")), QStringLiteral("Лаймовый"));
    EXPECT_EQ(BrivelloLocalization::string(QStringLiteral("Плейлист")), QStringLiteral("Плейлист"));
    const LocalizedText note = LocalizedText::format(QStringLiteral("Файлов: %d"), 3);
    EXPECT_EQ(note.text(), QStringLiteral("Файлов: 3"));
    Defaults::standard().set(kAppLanguageKey, "en");
    EXPECT_EQ(BrivelloLocalization::string(QStringLiteral("Cyan")), QStringLiteral("Cyan"));
    EXPECT_EQ(note.text(), QStringLiteral("Files: 3")) << "kept as its key, looked up now";
    Defaults::standard().resetForTesting();
}

} // namespace
