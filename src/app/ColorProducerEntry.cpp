// The colour producer's entry point.
#include "app/ColorProducerEntry.h"

#include "editor/VeskMemo.h"
#include "tools/ColorProducer.h"

namespace vesk {

TColorProducerEntry::TColorProducerEntry(TToolHost& host) : host_(host)
{
    host.SetCommand("ColorProducer1", [this](TVeskMemoFile& e) { ColorProducer1Click(e); });
}

void TColorProducerEntry::ColorProducer1Click(TVeskMemoFile& editor)
{
    // One window for the program's life: it remembers its colours.
    if (!form3_)
        form3_ = new TForm3(host_.MainWindow());
    form3_->SetOpeningMode(TForm3::omMainWindow);
    form3_->SetEditor(&editor);
    form3_->exec();
    editor.ScrollInView();
    editor.setFocus();
}

} // namespace vesk
