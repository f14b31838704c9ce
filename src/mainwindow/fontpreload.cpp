#include "mainwindow/fontpreload.h"

#include "mainwindow/japanesefonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <fontconfig/fontconfig.h>
#include <system_error>

namespace {
// Latin, Han, Hiragana and Katakana: Qt looks for fallback fonts once per family and script.
const QString Sample = QStringLiteral("2026年12月 保管しておわり タイトルリスト «<>»");
}

// Nothing that fails here is ours to report: whatever the thread did not load, Qt loads itself
// when it first needs a font, exactly as if no thread had run.
FontPreload::FontPreload()
{
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error &) {
    }
}

FontPreload::~FontPreload()
{
    Release(Stage::Abandoned);
    Wait();
}

void FontPreload::ApplicationReady()
{
    // Before the thread reads them: substitutes are a plain table that Qt does not guard.
    JapaneseFonts::RegisterSubstitutes();
    Release(Stage::ApplicationReady);
}

void FontPreload::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FontPreload::Run()
{
    FcInit();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stage != Stage::BeforeApplication; });
    if (m_stage == Stage::Abandoned)
        return;
    lock.unlock();
    QFontDatabase::families();
    // Fonts of the thread's own: copies of the windows' fonts would share private data that
    // caches font engines for one thread. Only the families matter, since Qt keeps fallback
    // fonts per family and script, not per size or weight.
    for (const QStringList &families : JapaneseFonts::FamilyLists())
        QFontMetrics(QFont(families)).boundingRect(Sample);
}

void FontPreload::Release(Stage stage)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stage != Stage::BeforeApplication)
            return;
        m_stage = stage;
    }
    m_changed.notify_all();
}
