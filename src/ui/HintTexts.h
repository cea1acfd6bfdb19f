// The hints that the condition tabs' choices put on their grids, and the
// fixed hints of the tabs' check boxes and grouping buttons. The grid hints
// are the grids' own short documentation: their examples line up in the
// grids' fixed-pitch font, every line break is LF followed by CR, and blanks
// at the ends of lines belong to the texts.
#pragma once

#include <QString>

namespace sifta {

QString RidGridHint();         // StringGrid1, given by RadioButton2
QString CellGridHint();        // StringGrid2, given by RadioButton4
QString SpecialGridHint();     // StringGrid3, given by CheckBox2 when ticked
QString KeyGridCountHint();    // StringGrid4, given by RadioButton6
QString KeyGridCodeHint();     // StringGrid4, given by RadioButton7
QString ValueGridCodeHint();   // StringGrid5, given by RadioButton7
QString KeyGridValueHint();    // StringGrid4, given by RadioButton13
QString ValueGridValueHint();  // StringGrid5, given by RadioButton13

QString CheckBox1Hint();
QString CheckBox2Hint();
QString RadioButton8Hint();
QString RadioButton9Hint();
QString RadioButton10Hint();

// A hint as a tooltip shows it: each LF CR is one line break, blanks are
// kept and the text is drawn in the grids' fixed-pitch font, so that the
// examples' columns line up.
QString HintForDisplay(const QString& hint);

}  // namespace sifta
