// The text of the help window, one entry per line.
#pragma once

#include <QStringList>

namespace sifta {

QStringList HelpLines();

}  // namespace sifta
