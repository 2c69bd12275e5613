#A hang at shutdown(a capture left holding the device) fails at the time limit, not at CTest's.
kr_test_program(frame TIMEOUT 120)
