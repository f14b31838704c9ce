#include "store/journal/journalwriter.h"
#include "store/journalfiles/journalcontent.h"
#include "store/journalfiles/journalfile.h"
#include "store/journalfiles/journalformat.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString journalPath;

// A month of 31 entries of 200 characters, Japanese and ASCII mixed, held and as loaded.
JournalContent TypicalMonth()
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DIARY>");
    for (int day = 1; day <= 31; ++day) {
        QString text;
        while (text.size() < 200)
            text += QStringLiteral(u"今日は%1日。Walked 3 km to the 駅 and back; 天気は晴れ\\n").arg(day);
        xml += QStringLiteral("<ARTICLE DATE=\"%1\"><TEXT>%2</TEXT></ARTICLE>").arg(day).arg(text.left(200));
    }
    xml += QStringLiteral("</DIARY>\n");
    JournalContent content;
    content.year = QStringLiteral("2026");
    content.month = QStringLiteral("3");
    content.day = 15;
    content.monthBytes = xml.toUtf8();
    content.baseExists = true;
    content.baseBytes = content.monthBytes;
    content.changedDays = { 15 };
    content.openEntry = 0;
    content.editorText = QStringLiteral(u"今日は");
    return content;
}

// What a keystroke changes, and nothing else: the baseline without a journal.
void KeystrokeWithoutJournal(benchmark::State &timing)
{
    JournalContent content = TypicalMonth();
    for (auto _ : timing) {
        content.editorText += u'あ';
        benchmark::DoNotOptimize(content.editorText.data());
        if (content.editorText.size() > 400)
            content.editorText.resize(3);
    }
}

// The same keystroke, with the journal brought up to date: encoded here, written by the worker.
void KeystrokeWithJournal(benchmark::State &timing)
{
    JournalContent content = TypicalMonth();
    JournalWriter writer(journalPath);
    for (auto _ : timing) {
        content.editorText += u'あ';
        writer.Post(JournalFormat::Encode(content));
        if (content.editorText.size() > 400)
            content.editorText.resize(3);
    }
    timing.SetLabel(writer.Flush() ? "" : "the journal could not be written");
}

void PostEncodedJournal(benchmark::State &timing)
{
    const QByteArray bytes = JournalFormat::Encode(TypicalMonth());
    JournalWriter writer(journalPath);
    for (auto _ : timing)
        writer.Post(bytes);
    timing.SetLabel(writer.Flush() ? "" : "the journal could not be written");
}

// What a keystroke would wait for if the journal were written on the window's own thread.
void WriteOnTheCallingThread(benchmark::State &timing)
{
    const QByteArray bytes = JournalFormat::Encode(TypicalMonth());
    for (auto _ : timing)
        JournalFile::Write(journalPath, bytes);
}

}

BENCHMARK(KeystrokeWithoutJournal)->Unit(benchmark::kMicrosecond);
BENCHMARK(KeystrokeWithJournal)->Unit(benchmark::kMicrosecond);
BENCHMARK(PostEncodedJournal)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteOnTheCallingThread)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir state;
    if (!state.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    journalPath = JournalFile::PathFor("/bench/diary");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
