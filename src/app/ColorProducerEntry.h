// The colour producer in the main window: its window and the Color Producer
// command.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm3;

class TColorProducerEntry : public TToolEntry {
public:
    explicit TColorProducerEntry(TToolHost& host);
    // The colour producer for the document (modal).
    void ColorProducer1Click(TVeskMemoFile& editor);
    // Null until first opened.
    TForm3* Window() const { return form3_; }

private:
    TToolHost& host_;
    TForm3* form3_ = nullptr;
};

} // namespace vesk
