/* Added to the linker's own script for the exe (ld -T with INSERT), to leave out what
   costs bytes and does nothing at run time.

   Each function's member of a MinGW import library (libkernel32.a(libkernel32s00123.o))
   carries, besides its lookup entry, address entry and name, a 4-byte word in .idata$7
   that holds the address of its library's head: a reference only, which makes the linker
   take the head (the library's import descriptor) whenever it takes a function. In the
   exe it sits among the library names, and no loader reads it.

   The lookup table (.idata$4: a word a function and one a library, each the address of
   the function's name, as the address table holds them before the loader fills it) is
   the loader's second copy of the names. Without it each descriptor's lookup field is 0,
   and every loader, from Windows 95's and NT's on, takes the names from the address table
   instead: how Borland's linkers have always laid out an exe. It matters only to an exe
   bound to the DLLs of one system, which the installer never is.

   Placed before the import data, this rule takes both first and drops them; the heads,
   the tails (whose .idata$7 is the library's name), the address table and the names stay
   where the linker puts them. */
SECTIONS
{
  /DISCARD/ : { *s[0-9][0-9][0-9][0-9][0-9].o(.idata$7) *(.idata$4) }
}
INSERT BEFORE .idata;
