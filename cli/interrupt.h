// Ctrl-C and SIGTERM while cards are written. A card is never left half
// written without a word: the first interrupt lets the card in progress
// finish, the second stops it at the next block, and the command says where.
#pragma once

namespace morvik {

// Counts SIGINT and SIGTERM from now on. With exitWhenIdle, a first interrupt
// while no card is in progress ends the process at once with status 130.
void InstallInterruptHandlers(bool exitWhenIdle);
// 0 until the first interrupt, then how many arrived.
int InterruptCount();
// Brackets the writing or reading of one card.
void SetCardInProgress(bool inProgress);

}  // namespace morvik
