# Filled in by the driver work: the lc_driver library and its self-test.
