// Read by the interface tests as if it were one of the library's headers: turning the refusal's
// switch off, or the marker into nothing, before the viewer's headers are read lets every name
// the stand-in keeps for itself through, so the check must fail on it.
#undef SXHOST_REFUSE_STANDIN_EXTRAS
#define SXHOST_STANDIN_ONLY
