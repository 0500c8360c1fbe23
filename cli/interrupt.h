// Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break, the console
// window closed, log-off and shutdown) while cards are written. A card is
// never left half written without a word: the first interrupt lets the card
// in progress finish, the second stops it at the next block, and the command
// says where.
#pragma once

#include "words/language.h"

namespace morvik {

enum class InterruptMode {
  kEndAtOnce,    // a command that only reads: the first interrupt ends it with 130
  kEndWhenIdle,  // a write: at once while no card is in progress, else the card finishes
  kCount,        // a production run: interrupts are counted, the run decides
};

// Counts interrupts from now on, and acts on them as the mode says, saying
// so in the language given.
void InstallInterruptHandlers(InterruptMode mode, Language language);
// 0 until the first interrupt, then how many arrived.
int InterruptCount();
// Brackets the writing or reading of one card.
void SetCardInProgress(bool inProgress);
// The command has written its records: a console being closed may end the
// process now (Windows waits for this, a few seconds at most).
void CommandEnded();

}  // namespace morvik
