#include "store/month/savedwork.h"

#include "store/journalfiles/journalcontent.h"
#include "store/month/diarymonthprivate.h"
#include "store/text/textcodec.h"
#include "usermessages/storeerror.h"

bool SavedWork::AlreadySaved(const JournalContent &work, const DiaryFolder &folder)
{
    DiaryMonthPrivate probe(folder);
    try {
        probe.Restore(work);
        probe.SelectDay(work.day);
        // The editor's text counts as the restored window writes it back.
        if (const XmlNode open = probe.EntryAt(work.openEntry); !open.isNull())
            probe.SetEntryText(open, TextCodec::EncodeText(work.editorText));
        probe.DropBlankEntries();
        const MonthFile::OnDisk now = MonthFile::Peek(probe.FilePath());
        XmlDocument disk;
        return now.exists && disk.loadXml(now.bytes, nullptr) && probe.publicMod.xmlDoc.sameContent(disk);
    } catch (const StoreError &) {
        // A month that cannot be read or compared is no proof that the work is saved.
        return false;
    }
}
