# The enumeration runs under the virtual desktop, and once more on the plain screen, whose mode
# list differs.
kr_test_program(enum FILTER -RealAdapter.PlainScreen*)
kr_test_program(enum NAME enum_plain PLAIN FILTER RealAdapter.PlainScreen*)
