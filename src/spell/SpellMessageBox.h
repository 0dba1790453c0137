// The spell checker's messages in the platform's standard message boxes.
#pragma once

class QWidget;

namespace vesk {

class TSpellChecker;

// Shows the engine's messages (OnMessage) in QMessageBox boxes over `parent`:
// information with OK or Abort, and Yes/No questions.
void UseStandardMessageBoxes(TSpellChecker& engine, QWidget* parent);

} // namespace vesk
