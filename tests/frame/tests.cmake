# A hang at shutdown fails within two minutes, not at the default ten.
kr_test_program(frame TIMEOUT 120)
