// The three reports of a run, read back as a browser, a CI and a program read them.
#include "HtmlReport.h"
#include "JsonReport.h"
#include "JunitReport.h"
#include "ReportText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace lettore;

const RunInfo TheRun{"lettore 0.1", "Piano", "ab12", "<b>Rossi</b> \xE8\xFF", "banco-1"};

ReaderRecord record()
{
    ReaderRecord r;
    r.reader = {7, "19200", "Sibrant2", std::string("FW\x02") + "1", "0000001001", "0000001001"};
    r.start = "2026-12-07T04:43:57.536Z";
    r.end = "2026-12-07T04:43:58.001Z";
    TrafficRow tx{.time = r.start,
                  .direction = TrafficRow::Direction::Sent,
                  .kind = TrafficRow::Kind::Command,
                  .bytes = "\x02\x30!2\x03\""};
    ExchangeRecord exchange{"GetVersioneFirmware", {}, "19200", 1, "", {{"outVERSION", "N"}}, std::nullopt, {tx}};
    r.steps
        = {{"versione", "Versione <firmware>", "esito 0", Verdict::Failed, {"esito 1 (nessuna risposta)"}, {exchange}},
           {"velocita", "Velocità", "", Verdict::Skipped, {"solo con il lettore unico"}},
           {"badge", "Badge & co", "", Verdict::NotRun, {"collaudo interrotto"}}};
    r.undos = {{"uscite", "Uscite attivate", UndoResult::Outcome::NotRun, "la linea non è tornata"}};
    r.traffic = {tx};
    return r;
}

TEST(ReportTest, HtmlIsSelfContainedAndEscaped)
{
    const std::string html = HtmlReport::page(TheRun, record());
    for (const char* reference : {R"((src|href|action)\s*=)", R"(url\s*\()", "@import", "://", "<script", "<link"})
        EXPECT_FALSE(std::regex_search(html, std::regex(reference, std::regex::icase))) << reference;
    for (const char* shown :
         {"&lt;b&gt;Rossi&lt;/b&gt; \\xE8\\xFF", "Versione &lt;firmware&gt;", "FW\\x021", "NON SUPERATO",
          "Firma del cliente", "Firma dell'operatore", "02 30 21 32 03 22", "Uscite attivate", "non eseguito"})
        EXPECT_NE(html.find(shown), std::string::npos) << shown;
    const std::string summary
        = HtmlReport::summary(TheRun, "a", "b", {{record().reader, false, "NON SUPERATO", "collaudo-007-x.html"}});
    EXPECT_NE(summary.find("<a href=\"collaudo-007-x.html\">"), std::string::npos);
}

// Every step and every change put back is one test case, named; failures, skips and their counts as JUnit has them.
TEST(ReportTest, JunitParsesAndNamesEveryStep)
{
    QXmlStreamReader xml(QByteArray::fromStdString(JunitReport::document(TheRun, record())));
    std::vector<std::string> cases;
    std::string verdicts;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("testcase"))
            cases.push_back(xml.attributes().value("name").toString().toStdString());
        if (xml.name() == QLatin1String("failure") || xml.name() == QLatin1String("skipped"))
            verdicts += xml.name().toString().toStdString() + " ";
        if (xml.name() == QLatin1String("testsuite"))
            verdicts += xml.attributes().value("failures").toString().toStdString() + " failures ";
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(cases, (std::vector<std::string>{"versione: Versione <firmware>", "velocita: Velocità",
                                               "badge: Badge & co", "ripristino uscite: Uscite attivate"}));
    EXPECT_EQ(verdicts, "3 failures failure skipped failure failure ");
}

TEST(ReportTest, JsonParsesWithEveryByteKept)
{
    QJsonParseError error;
    const QJsonObject json
        = QJsonDocument::fromJson(QByteArray::fromStdString(JsonReport::document(TheRun, record())), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(json["operator"].toString(), QString::fromUtf8("<b>Rossi</b> \\xE8\\xFF"));
    EXPECT_EQ(json["reader"]["firmware"].toString(), QStringLiteral("FW\\x021"));
    const QJsonObject exchange = json["steps"][0]["exchanges"][0].toObject();
    EXPECT_EQ(exchange["rows"][0]["hex"].toString(), QStringLiteral("02 30 21 32 03 22"));
    EXPECT_EQ(json["changesLeft"].toArray().size(), 1);
    EXPECT_FALSE(json["passed"].toBool());
}

// Names typed by people keep valid UTF-8 and lose only what is not.
TEST(ReportTest, WordsKeepValidUtf8Only)
{
    const std::pair<std::string, std::string> rows[] = {
        {"Mario Rossi", "Mario Rossi"},      {"Niccolò", "Niccolò"},     {"\xC3", "\\xC3"}, {"\xC0\xAF", "\\xC0\\xAF"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"}, {"a\nb\\", "a\\x0Ab\\x5C"},
    };
    for (const auto& [text, words] : rows)
        EXPECT_EQ(ReportText::words(text), words) << text;
}

}  // namespace
