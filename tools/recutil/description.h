// Readable descriptions of data files, turned into FileSpecificationBlocks. A description is a list
// of keyword=value words separated by blanks or new lines ('#' starts a comment to the end of line):
//   record=LENGTH [variable=y|n] [page=SIZE] key=NUMBER-OF-KEYS
//   then per key segment: position=P length=L [duplicates=y|n] [modifiable=y|n]
//     [type=string|binary|integer|unsigned|zstring|autoincrement] [descending=y|n]
//     [alternate=y|n] [insensitive=y|n] segment=y|n   (y: another segment of the same key follows)
//   [name=FILE]  the alternate collating sequence (265 bytes: 0xAC, 8-byte name, 256-byte table)
#ifndef TOOLS_RECUTIL_DESCRIPTION_H
#define TOOLS_RECUTIL_DESCRIPTION_H

#include <string>

// Builds the block from `text`; false with a message in `error`.
bool ParseDescription(const std::string& text, std::string& block, std::string& error);

#endif
