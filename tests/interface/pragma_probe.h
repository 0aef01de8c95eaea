// Read by the interface tests as if it were one of the library's headers: its pragma would
// silence the refusal of the stand-in's names, so the check must fail on it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
SXHOST_HEADER_BEGIN
SXHOST_HEADER_END
