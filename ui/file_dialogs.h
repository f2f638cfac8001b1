// Open and Save As through the common file dialogs.
#pragma once

namespace nagitome {

void ShowOpenDialog();    // loads the chosen file
void ShowSaveAsDialog();  // names the document after the chosen file, then saves it

}  // namespace nagitome
