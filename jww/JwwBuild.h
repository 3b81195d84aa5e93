// Building drawings in code: appending entities and block definitions with the order list
// and the live counts kept in step, as a load leaves them.
#pragma once

#include <string>

#include "jww/JwwUnit.h"

namespace jww {

// Appends a record at the end of the drawing order; returns its index in its kind's array.
int32_t Append(TJwwData& doc, const TEntJwwLine& r);
int32_t Append(TJwwData& doc, const TEntJwwEnko& r);
int32_t Append(TJwwData& doc, const TEntJwwTen& r);
int32_t Append(TJwwData& doc, const TEntJwwMoji& r);
int32_t Append(TJwwData& doc, const TEntJwwSunpo& r);
int32_t Append(TJwwData& doc, const TEntJwwSolid& r);
int32_t Append(TJwwData& doc, const TEntJwwBlock& r);

// The same for a block definition's own list.
int32_t Append(TEntJwwBlockDef& def, const TEntJwwLine& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwEnko& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwTen& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwMoji& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwSunpo& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwSolid& r);
int32_t Append(TEntJwwBlockDef& def, const TEntJwwBlock& r);

// Appends a block definition and returns it; run MakeBlockTree once the drawing is complete.
TEntJwwBlockDef& AppendBlockDef(TJwwData& doc, uint32_t number, const std::string& name);

// Drops the entry at position `pos` of the drawing order the way the point deletion does:
// kind 0 in the order list, one less in the kind's live count, the record left in place.
void Drop(TJwwData& doc, size_t pos);

}  // namespace jww
