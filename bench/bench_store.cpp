#include "store/folder/diaryfolder.h"
#include "store/month/monthdocument.h"
#include "store/month/publicmod.h"
#include "store/monthfile/monthfile.h"
#include "store/text/textcodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>

namespace {

const QString Year = QStringLiteral("2026");
const QString Source = QStringLiteral("1");
const QString Target = QStringLiteral("2");
const QString Ordinary = QStringLiteral("3");

QTemporaryDir *directory = nullptr;

// 200 characters, Japanese and ASCII mixed, with a line break now and then.
QString Entry(int day, int number)
{
    const QString pattern = QStringLiteral(u"今日は%1日、%2件目。Walked 3 km to the 駅 and back; 天気は晴れ\\n");
    QString text;
    while (text.size() < 200)
        text += pattern.arg(day).arg(number);
    return text.left(200);
}

void AddEntries(PublicMod &state, int perDay)
{
    XmlNode diary = state.xmlDoc.documentElement();
    for (int day = 1; day <= 31; ++day) {
        XmlNode article = diary.appendChild(state.xmlDoc.createElement(QStringLiteral("ARTICLE")));
        article.setAttribute(QStringLiteral("DATE"), QString::number(day));
        for (int number = 0; number < perDay; ++number)
            article.appendChild(state.xmlDoc.createElement(QStringLiteral("TEXT"))).setText(Entry(day, number));
    }
}

void WriteGeneratedMonth()
{
    PublicMod state;
    MonthDocument::LoadMonth(state, DiaryFolder(directory->path()), Year, Source);
    AddEntries(state, 100);
    MonthDocument::SaveMonth(state, DiaryFolder(directory->path()), Year, Source);
}

// Each save changes one entry, as a real one does, so that every save also keeps the previous version.
void SaveChangingOneEntry(benchmark::State &timing, PublicMod &state, const QString &month)
{
    XmlNode first = state.xmlDoc.getElementsByTagName(QStringLiteral("TEXT")).front();
    const QString text = first.text();
    int round = 0;
    for (auto _ : timing) {
        MonthDocument::SetEntryText(state, first, text + QString::number(++round % 2));
        MonthDocument::SaveMonth(state, DiaryFolder(directory->path()), Year, month);
    }
}

QByteArray SourcePath()
{
    return MonthFile::FilePath(directory->path(), Year, Source).toLocal8Bit();
}

void LoadMonth(benchmark::State &timing)
{
    PublicMod state;
    for (auto _ : timing)
        MonthDocument::LoadMonth(state, DiaryFolder(directory->path()), Year, Source);
}

void SaveMonth(benchmark::State &timing)
{
    // A month saved into its own file, as the program does; a copy, so that the source stays as it is.
    QFile::copy(
        MonthFile::FilePath(directory->path(), Year, Source), MonthFile::FilePath(directory->path(), Year, Target));
    PublicMod state;
    MonthDocument::LoadMonth(state, DiaryFolder(directory->path()), Year, Target);
    SaveChangingOneEntry(timing, state, Target);
}

// An ordinary month: one entry a day.
void SaveOrdinaryMonth(benchmark::State &timing)
{
    PublicMod state;
    MonthDocument::LoadMonth(state, DiaryFolder(directory->path()), Year, Ordinary);
    AddEntries(state, 1);
    SaveChangingOneEntry(timing, state, Ordinary);
}

void MakeTitlePass(benchmark::State &timing)
{
    PublicMod state;
    MonthDocument::LoadMonth(state, DiaryFolder(directory->path()), Year, Source);
    for (auto _ : timing) {
        for (const XmlNode &entry : state.xmlDoc.getElementsByTagName(QStringLiteral("TEXT")))
            benchmark::DoNotOptimize(TextCodec::MakeTitle(entry.text()));
    }
}

void LibraryRead(benchmark::State &timing)
{
    for (auto _ : timing)
        xmlFreeDoc(xmlReadFile(SourcePath().constData(), nullptr, XML_PARSE_NONET));
}

void LibraryWrite(benchmark::State &timing)
{
    xmlDocPtr doc = xmlReadFile(SourcePath().constData(), nullptr, XML_PARSE_NONET);
    const QByteArray target = MonthFile::FilePath(directory->path(), Year, Target).toLocal8Bit();
    for (auto _ : timing) {
        if (xmlSaveFileEnc(target.constData(), doc, "Shift_JIS") < 0)
            timing.SkipWithError("libxml2 could not write the month");
    }
    xmlFreeDoc(doc);
}

}

BENCHMARK(LibraryRead)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveOrdinaryMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(MakeTitlePass)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    directory = &temporary;
    WriteGeneratedMonth();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
