#pragma once

#include "app/dialogues.h"

// Message boxes, questions, input and file boxes of the windowed program.
std::unique_ptr<Dialogues> creeDialoguesQt();
