"""The examples in the package's docstrings run and print what they show."""

import doctest
import subprocess
import sys

import pytest

import convergeout
from convergeout import (_case, _dataset, _errors, _follow, _restarts, _steady, _sweep,
                         engine)
from conftest import ROOT


@pytest.mark.parametrize("module", [convergeout, _dataset, _errors, _case, _sweep, _restarts,
                                    _follow, _steady, engine],
                         ids=lambda m: m.__name__)
def test_docstring_examples(module, monkeypatch):
    monkeypatch.chdir(ROOT)
    result = doctest.testmod(module, optionflags=doctest.ELLIPSIS | doctest.NORMALIZE_WHITESPACE)
    assert result.attempted > 0 and result.failed == 0


def test_version_is_the_projects():
    cmake = (ROOT / "CMakeLists.txt").read_text()
    assert f"VERSION {convergeout.__version__} " in cmake


def test_the_readme_example_draws_its_picture(tmp_path):
    picture = tmp_path / "pressure.png"
    run = subprocess.run([sys.executable, str(ROOT / "examples" / "plot_pressure.py"),
                          str(picture)], capture_output=True, text=True, check=True)
    assert run.stdout.startswith("3 files, 7 zones")
    assert picture.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" and picture.stat().st_size > 20000


def test_the_readme_examples_print_what_the_code_gives(monkeypatch):
    monkeypatch.chdir(ROOT)
    text = (ROOT / "README.md").read_text()
    blocks = [part.split("```", 1)[0] for part in text.split("```pycon\n")[1:]]
    assert len(blocks) >= 2
    test = doctest.DocTestParser().get_doctest("\n".join(blocks), {}, "README.md", "README.md", 0)
    runner = doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE)
    runner.run(test)
    assert runner.summarize(verbose=False) == (0, len(test.examples))
