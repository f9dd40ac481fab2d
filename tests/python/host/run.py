"""The host suite's entry: mxhost-py runs this script, which runs pytest on this folder
inside the simulated host (extra arguments go to pytest)."""

import os
import sys

import pytest

here = os.path.dirname(os.path.abspath(__file__))
sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", "--rootdir", here, "--confcutdir", here, here, *sys.argv[1:]]))
