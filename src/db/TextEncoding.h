#pragma once

#include "db/CodePage.h"

namespace tavro {

// How the texts of one connection travel. A database with a character set of its own talks
// UTF-8 and the server converts each column's text; a database created without one (NONE)
// is reached with the connection's character set NONE, so that no text is converted on its
// way: its text columns hold the bytes of the code page, and so do the statement's literals,
// its variables and the texts it binds, byte for byte as the product's Windows stations
// write them. In both, a column or parameter that declares its own character set is told
// apart by the server's description of it.
struct TextEncoding
{
    bool undeclared = false;               // the database has no character set: the connection speaks NONE
    CodePage codePage = CodePage::Win1252; // what text without a character set holds
};

} // namespace tavro
