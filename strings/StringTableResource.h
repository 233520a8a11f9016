#pragma once

#include <string>

// Reads the string table embedded under resource id `resourceId` (":/strings/<id>.xml") into
// `bytes`. Returns false, leaving `bytes` untouched, when there is no such table or it cannot
// be read.
bool ReadStringTableResource(int resourceId, std::string& bytes);
