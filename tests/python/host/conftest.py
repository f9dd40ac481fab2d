"""Fixtures of the suite that runs inside the simulated host (mxhost-py): a fresh session
per test and the plug-in instance the host loaded."""

import os
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "python"))
import mixvale_cobalt  # noqa: E402  (the shipped module, from the source tree)
import sim_python as sim  # noqa: E402


@pytest.fixture(scope="session")
def cobalt():
    return mixvale_cobalt.Cobalt(os.environ["MXSIM_PLUGIN"])


@pytest.fixture(autouse=True)
def session():
    """Every test starts from an empty session and must leave the host no dead or
    mistyped object handed to it."""
    sim.reset()
    sim.violations()
    yield
    assert sim.violations() == []
