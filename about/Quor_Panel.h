// A child window that shows centred text in a given font: with a raised edge
// it is a panel that reports clicks to its parent (WM_COMMAND with its id and
// STN_CLICKED), without it a label of one or more lines. It draws the text
// itself with DrawText, so a label sized by MeasureText never wraps.
#pragma once

#include <windows.h>

#include <string>

#include "gui/Window.h"

namespace about {

inline constexpr char kPanelClassName[] = "TQuorPanel";

class Panel : public gui::Window {
 public:
  enum class Look { Raised, Plain };

  // Creates the panel as a child of parent at the given client rectangle.
  bool CreateChild(HWND parent, int id, RECT rect, Look look, HFONT font, const std::string& text);
  void SetFont(HFONT font);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  int id_ = 0;
  Look look_ = Look::Raised;
  HFONT font_ = nullptr;
  bool pressed_ = false;
};

// Width and height of text drawn in font, each CR LF starting a new line
// (an empty line counts as a line).
SIZE MeasureText(HFONT font, const std::string& text);

}  // namespace about
