# The first frame of a process is special: its test runs in a process of its own.
kr_test_program(frame NAME frame FILTER -FirstFrame.*)
kr_test_program(frame NAME frame_first FILTER FirstFrame.*)
