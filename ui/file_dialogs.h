// Open and Save As through the common file dialogs.
#pragma once

#include <cstdint>

namespace nagitome {

void ShowOpenDialog();    // loads the chosen file
void ShowSaveAsDialog();  // names the document after the chosen file, then saves it

// The filter each dialog showed last; kept for the life of the process.
std::uint32_t OpenFilterIndex();
std::uint32_t SaveFilterIndex();

}  // namespace nagitome
