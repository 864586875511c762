"""Errors as a Python user expects them: the system's for paths, LoadError for files."""

import errno
import os
import pickle
import shutil
import subprocess
import sys
import tempfile
import warnings

import pytest

import convergeout
from conftest import EXAMPLES, ROOT, write_out_file

GOOD = EXAMPLES / "engine_cycle.out"


def test_a_path_that_is_not_a_readable_file_fails_before_any_load(tmp_path):
    (tmp_path / "file").write_text("x")
    # (path, error, errno)
    cases = [(tmp_path / "missing.out", FileNotFoundError, errno.ENOENT),
             (tmp_path / "file" / "below.out", FileNotFoundError, errno.ENOENT),
             (tmp_path, IsADirectoryError, errno.EISDIR)]
    for path, error, number in cases:
        for paths in ([path], [GOOD, path]):
            with pytest.raises(error) as raised:
                convergeout.load(*paths)
            assert (raised.value.errno, raised.value.filename) == (number, str(path)), paths
    with pytest.raises(FileNotFoundError) as raised:
        convergeout.load_restarts([GOOD, tmp_path / "missing.out"])
    assert raised.value.filename == str(tmp_path / "missing.out")


@pytest.mark.skipif(not hasattr(os, "setuid"), reason="needs POSIX users")
def test_a_file_that_may_not_be_read_is_a_permission_error():
    # A folder that another user may enter, with one file in it that no user but its owner reads.
    folder = tempfile.mkdtemp(prefix="convergeout-permission-")
    os.chmod(folder, 0o755)
    path = shutil.copy(GOOD, os.path.join(folder, "private.out"))
    os.chmod(path, 0o200)
    script = ("import convergeout, sys\n"
              "try:\n"
              "    convergeout.load(sys.argv[1])\n"
              "except PermissionError as error:\n"
              "    print(error.errno, error.filename)\n")
    # Root reads any file: the check runs as another user where this test runs as root.
    user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.getuid() == 0 else []
    try:
        run = subprocess.run(user + [sys.executable, "-c", script, str(path)],
                             capture_output=True, text=True,
                             env={**os.environ, "PYTHONDONTWRITEBYTECODE": "1"})
    finally:
        shutil.rmtree(folder)
    assert run.stdout.split() == [str(errno.EACCES), str(path)], run.stderr


def test_load_case_raises_for_a_missing_folder_and_warns_for_an_empty_one(tmp_path):
    with pytest.raises(FileNotFoundError) as missing:
        convergeout.load_case(tmp_path / "no_such_case")
    assert missing.value.filename == str(tmp_path / "no_such_case")
    with pytest.raises(NotADirectoryError):
        convergeout.load_case(GOOD)
    with pytest.warns(convergeout.ConvergeoutWarning, match="nothing was loaded"):
        assert convergeout.load_case(tmp_path) == ({}, {})


# (file name, rows after the header, message text, line it names)
PLACES = [
    ("run 1.out", ["1 2"] * 12344 + ["1 x", "1 2"], "Invalid or missing double precision value",
     12350),
    (b"r\xe9sultat.out", ["1 2", "1 2 3"], "Too many values", 7),
    ("two  spaces.out", ["1 2"] * 98 + ["1 2 3 4"], "Too many values", 104),
]


@pytest.mark.parametrize("name,rows,text,line", PLACES)
def test_load_error_names_file_and_line(tmp_path, name, rows, text, line):
    path = os.path.join(os.fsencode(tmp_path), os.fsencode(name))
    write_out_file(type(tmp_path)(os.fsdecode(path)), rows)
    with pytest.raises(convergeout.LoadError) as refused:
        convergeout.load(path)
    error = refused.value
    shown = os.fsdecode(path)
    assert error.messages == [f'File "{shown}", line {line}: {text}']
    assert (error.file, error.line, error.hint) == (shown, line, None)
    assert error.file.encode("utf-8", "surrogateescape") == path
    copy = pickle.loads(pickle.dumps(error))
    assert (type(copy), copy.messages, copy.file, copy.line, str(copy)) == \
        (convergeout.LoadError, error.messages, error.file, error.line, str(error))


def test_options_are_checked_by_name(tmp_path):
    for call in (lambda: convergeout.load(GOOD, header="loose"),
                 lambda: convergeout.load(GOOD, tail="partial"),
                 lambda: convergeout.load_case(EXAMPLES, tail="partial"),
                 lambda: convergeout.load_sweep([EXAMPLES], "x.out", header="loose"),
                 lambda: convergeout.load_case(EXAMPLES, workers=0)):
        with pytest.raises(ValueError, match=r"is '(strict|lenient|complete)' or|threads"):
            call()


def test_warnings_point_at_the_callers_line(tmp_path):
    path = write_out_file(tmp_path / "short.out", ["1 2"], names=("Crank", "P", "Q"),
                          units=("(DEG)", "(MPa)", "(K)"))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        convergeout.load(path)
        convergeout.load_case(tmp_path)
        assert convergeout.load_sweep([tmp_path], "short.out").datasets
    assert [w.category for w in caught] == [convergeout.ColumnsNotLoadedWarning] * 3
    assert {w.filename for w in caught} == {__file__}
    assert issubclass(convergeout.ColumnsNotLoadedWarning, convergeout.ConvergeoutWarning)
    assert str(ROOT) not in str(caught[0].message) and '"Q (K)"' in str(caught[0].message)
