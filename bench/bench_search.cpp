#include "search/diarysearch.h"
#include "store/monthfile/monthfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr int FirstYear = 1997;
constexpr int Years = 30;
constexpr int EntriesPerDay = 3;
constexpr int EntryLength = 300;

QTemporaryDir *directory = nullptr;
QList<QByteArray> monthPaths;
qint64 diaryFileBytes = 0;

const QStringList Words = QStringLiteral(
    u"今日は|朝から|雨が降って|公園|散歩した。|駅前の|ラーメン屋で|友達と|会った。|仕事は|忙しかったが、|夕方には|"
    u"晴れた。|コーヒーを|飲みながら|本を読む。|明日は|早起きして|図書館へ|行く予定。|子供たちが|学校から|帰ってきた。|"
    u"買い物リスト：|牛乳、パン、卵。|電車が|遅れて|10分|待った。|桜が|きれいだった。|\\n")
                              .split(u'|');

// About 300 characters of a day's note, different for every entry.
QString EntryText(std::mt19937 &random)
{
    std::uniform_int_distribution<qsizetype> pick(0, Words.size() - 1);
    QString text;
    while (text.size() < EntryLength)
        text += Words[pick(random)];
    return text.left(EntryLength);
}

void WriteDiary()
{
    std::mt19937 random(20261207);
    QStringEncoder shiftJis("Shift_JIS");
    if (!shiftJis.isValid())
        qFatal("Qt cannot encode Shift_JIS here");
    for (int year = FirstYear; year < FirstYear + Years; ++year) {
        for (int month = 1; month <= 12; ++month) {
            QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<DIARY>");
            for (int day = 1; day <= QDate(year, month, 1).daysInMonth(); ++day) {
                xml += QStringLiteral("<ARTICLE DATE=\"%1\">").arg(day);
                for (int entry = 0; entry < EntriesPerDay; ++entry)
                    xml += QStringLiteral("<TEXT>%1</TEXT>").arg(EntryText(random));
                xml += QStringLiteral("</ARTICLE>");
            }
            xml += QStringLiteral("</DIARY>\r\n");
            const QByteArray bytes = shiftJis.encode(xml);
            const QString path = MonthFile::FilePath(directory->path(), QString::number(year), QString::number(month));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(path));
            monthPaths.append(QFile::encodeName(path));
            diaryFileBytes += bytes.size();
        }
    }
}

// Runs one search to its end, as the window sees it; returns the entries found.
qsizetype Search(DiarySearch &search, const QString &typed)
{
    QEventLoop loop;
    qsizetype found = 0;
    const QMetaObject::Connection connection
        = QObject::connect(&search, &DiarySearch::Delivered, &loop, [&loop, &found](const SearchBatch &batch) {
              found = (batch.fresh ? 0 : found) + qsizetype(batch.hits.size());
              if (batch.finished)
                  loop.quit();
          });
    search.Start(typed, std::nullopt);
    loop.exec();
    QObject::disconnect(connection);
    return found;
}

// Processor time of the whole program, all its threads, in milliseconds.
double ProcessorMilliseconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The first search after the start, every month file read, folded and searched, beside its floor:
// libxml2 alone parsing every month file once, in one thread. The two alternate, so that both see
// the same machine.
void FirstSearch(benchmark::State &timing)
{
    std::vector<double> library, first, libraryProcessor, firstProcessor;
    qsizetype found = 0;
    for (auto _ : timing) {
        QElapsedTimer timer;
        timer.start();
        double processor = ProcessorMilliseconds();
        for (const QByteArray &path : monthPaths)
            xmlFreeDoc(xmlReadFile(path.constData(), nullptr, XML_PARSE_NONET));
        library.push_back(double(timer.nsecsElapsed()) / 1e6);
        libraryProcessor.push_back(ProcessorMilliseconds() - processor);
        timer.restart();
        processor = ProcessorMilliseconds();
        DiarySearch search(directory->path());
        found = Search(search, QStringLiteral(u"らーめん"));
        first.push_back(double(timer.nsecsElapsed()) / 1e6);
        firstProcessor.push_back(ProcessorMilliseconds() - processor);
    }
    timing.counters["found"] = double(found);
    timing.counters["library_ms"] = Median(library);
    timing.counters["first_search_ms"] = Median(first);
    timing.counters["first_per_library"] = Median(first) / Median(library);
    // The processor time of all threads: what the first search costs a machine with no core to spare.
    timing.counters["cpu_first_per_library"] = Median(firstProcessor) / Median(libraryProcessor);
}

// Every keystroke after the first search: the month files are only stamped, then searched in memory.
void LaterKeystroke(benchmark::State &timing)
{
    const QStringList typed
        = QStringLiteral(u"ら|らー|らーめ|らーめん|公|公園|公園 さ|公園 散歩|ｺｰﾋｰ|コーヒー 図書館 "
                         u"雨|桜がきれい|１０分|東京タワー|牛乳、パン|人々|髙橋|自由ヶ丘|①番|いすゞ")
              .split(u'|');
    DiarySearch search(directory->path());
    Search(search, typed.front());
    std::vector<double> milliseconds;
    for (auto _ : timing) {
        for (const QString &text : typed) {
            QElapsedTimer timer;
            timer.start();
            benchmark::DoNotOptimize(Search(search, text));
            milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    timing.counters["median_ms"] = Median(milliseconds);
    timing.counters["p90_ms"] = milliseconds[milliseconds.size() * 9 / 10];
    timing.counters["max_ms"] = milliseconds.back();
    search.WaitForIdle();
    const double textBytes = double(search.IndexedCharacters()) * 2;
    timing.counters["index_MiB"] = double(search.IndexBytes()) / (1024 * 1024);
    timing.counters["text_MiB"] = textBytes / (1024 * 1024);
    timing.counters["index_per_text"] = double(search.IndexBytes()) / textBytes;
    timing.counters["files_MiB"] = double(diaryFileBytes) / (1024 * 1024);
}

}

BENCHMARK(FirstSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);
BENCHMARK(LaterKeystroke)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    directory = &temporary;
    WriteDiary();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
