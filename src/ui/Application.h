// Application-wide set-up shared by the program and the widget tests: the
// Japanese standard buttons, the font names the windows use, the hint timing.
#pragma once

class QApplication;

namespace sifta {

// Loads Qt's Japanese translations (from translations/ beside the program,
// else from the Qt installation), adds the fonts of fonts/ beside the
// program, maps "ＭＳ ゴシック", "ＭＳ Ｐゴシック" and "ＭＳ 明朝" to Japanese
// fonts of the same metrics where those are missing, and installs the hint
// timing (500 ms before a hint shows, the display time of
// SetHintDisplayTime).
void SetUpApplication(QApplication& app);

// How long a hint stays shown, for the whole application (2500 ms at start).
void SetHintDisplayTime(int milliseconds);
int HintDisplayTime();

}  // namespace sifta
