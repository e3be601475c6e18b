// Short English texts for the record manager's status values, for recutil's messages.
#ifndef TOOLS_RECUTIL_STATUS_TEXT_H
#define TOOLS_RECUTIL_STATUS_TEXT_H

#include <string>

// "status 12 (file not found)".
std::string StatusText(short status);

#endif
