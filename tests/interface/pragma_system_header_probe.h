// Read by the interface tests as if it were one of the library's headers: marking itself a
// system header silences every warning in it, the refusal of the stand-in's names included, so
// the check must fail on it.
#pragma GCC system_header
