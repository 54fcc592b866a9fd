#pragma once
// Owning lists of named objects in the archive: an element count, then every element as an
// object reference with its class record or class back-reference and its payload.

#include "model/Archive.h"
#include "model/NamedObjectList.h"

// Writes the count and every element (the caller holds the state lock for the walk).
void WriteObjectList(CArchive& ar, const CNamedObjectList& list);

// Reads a list into `into`, appending. Every element must be an object of expectedClass
// (any registered class when null); an empty reference in a list is refused as damage, since
// nothing here ever writes one and the lists hold no null elements. On a throw the elements
// read so far stay in `into` and the partly read one is deleted.
void ReadObjectList(CArchive& ar, CNamedObjectList& into, const char* expectedClass);
