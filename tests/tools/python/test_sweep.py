"""Sweeps: one kind of file from many cases, in one frame, on one grid, on every core, and on a
dask cluster."""

import os
import subprocess
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import convergeout
from convergeout import _workers
from conftest import EXAMPLES, ROOT, write_out_file

CASES = {"rpm1500_egr10": 1.0, "rpm1500_egr20": 0.9, "rpm2000_egr10": 1.2}


def write_thermo(path, factor, start=-180.0, stop=180.0, step=2.0):
    crank = np.arange(start, stop + step / 2, step)
    rows = [f"{c:.4f} {factor * (1 + np.exp(-(c / 30) ** 2)):.9e} {int(c) % 7}" for c in crank]
    return write_out_file(path, rows, names=("Crank", "Pressure", "Parcels"),
                          units=("(DEG)", "(MPa)", "(number)"))


@pytest.fixture()
def sweep_root(tmp_path):
    for name, factor in CASES.items():
        (tmp_path / name).mkdir()
        write_thermo(tmp_path / name / "thermo.out", factor, step=2.0 if name != "rpm2000_egr10"
                     else 1.5)
    return tmp_path


def test_cases_from_a_list_a_pattern_or_a_mapping(sweep_root):
    folders = [sweep_root / name for name in CASES]
    for cases in (folders, str(sweep_root / "rpm*"), {name: sweep_root / name for name in CASES}):
        sweep = convergeout.load_sweep(cases, "thermo.out", params="names")
        assert sweep.cases == list(CASES), cases
        assert sweep.params["rpm2000_egr10"] == {"rpm": 2000, "egr": 10}
        assert list(sweep.datasets) == list(CASES) and sweep.refused == {}


def test_one_long_frame_with_the_parameters_as_columns(sweep_root):
    sweep = convergeout.load_sweep(str(sweep_root / "rpm*"), "thermo.out", params="names")
    frame = sweep.to_pandas()
    assert frame.index.names == ["case", "zone", "zone_name", "region", "file", "point"]
    assert frame.index.is_unique
    assert list(frame.columns) == ["rpm", "egr", "Crank (DEG)", "Pressure (MPa)", "Parcels"]
    assert frame["rpm"].dtype == np.int64 and str(frame["Parcels"].dtype) == "Int32"
    for case, ds in sweep.datasets.items():
        part = frame.loc[case]
        assert np.array_equal(part["Pressure (MPa)"].to_numpy(), ds.zone(1)["Pressure"]), case
        assert (part["egr"] == sweep.params[case]["egr"]).all(), case
    by_egr = frame.groupby("egr")["Pressure (MPa)"].max()
    assert by_egr.index.tolist() == [10, 20] and by_egr[20] < by_egr[10]
    only = convergeout.load_sweep(str(sweep_root / "rpm*"), "thermo.out",
                                  variables=["Pressure"]).to_pandas(index="Crank")
    assert list(only.columns) == ["Pressure (MPa)"] and only.index.names[-1] == "Crank (DEG)"


def test_cases_overlaid_on_one_grid(sweep_root):
    sweep = convergeout.load_sweep({n: sweep_root / n for n in CASES}, "thermo.out")
    aligned = sweep.aligned("Crank")
    first = sweep.datasets["rpm1500_egr10"].zone(1)
    assert np.array_equal(aligned.index.to_numpy(), first["Crank"])
    assert aligned.columns.names == ["case", "zone", "variable"]
    # rpm2000_egr10 has its own crank angles: interpolated onto the first case's.
    other = sweep.datasets["rpm2000_egr10"].zone(1)
    expected = np.interp(first["Crank"], other["Crank"], other["Pressure"])
    assert np.allclose(aligned["rpm2000_egr10", 1, "Pressure (MPa)"], expected, rtol=0, atol=1e-12)
    assert np.array_equal(aligned["rpm1500_egr10", 1, "Pressure (MPa)"], first["Pressure"])
    # Outside a case's crank angles nothing is made up.
    wide = sweep.aligned("Crank", grid=[-200.0, 0.0, 200.0])
    assert wide["rpm1500_egr20", 1, "Pressure (MPa)"].isna().tolist() == [True, False, True]


def test_what_does_not_load_is_said_per_case(sweep_root):
    (sweep_root / "a_file").write_text("not a folder")
    (sweep_root / "empty").mkdir()
    broken = sweep_root / "broken"
    broken.mkdir()
    write_out_file(broken / "thermo.out", ["1 2 3", "4 x 6"], names=("Crank", "Pressure", "P2"),
                   units=("(DEG)", "(MPa)", "(MPa)"))
    folders = [sweep_root / name for name in (*CASES, "a_file", "empty", "broken")]
    sweep = convergeout.load_sweep(folders, "thermo.out")
    refused = sweep.refused
    assert list(sweep.datasets) == list(CASES)
    assert {case: type(error) for case, error in refused.items()} == {
        "a_file": NotADirectoryError, "empty": FileNotFoundError, "broken": convergeout.LoadError}
    assert refused["empty"].filename == str(sweep_root / "empty" / "thermo.out")
    assert refused["broken"].line == 7


def test_a_file_that_vanishes_before_the_sweep_loads_is_reported_for_its_case(sweep_root):
    sweep = convergeout.load_sweep(str(sweep_root / "rpm*"), "thermo.out")
    os.remove(sweep_root / "rpm1500_egr20" / "thermo.out")
    assert isinstance(sweep.refused["rpm1500_egr20"], FileNotFoundError)
    assert len(sweep.to_pandas().index.get_level_values("case").unique()) == 2


BAD_SWEEPS = [
    (lambda root: convergeout.load_sweep([], "thermo.out"), ValueError, "no case"),
    (lambda root: convergeout.load_sweep(str(root / "nothing*"), "thermo.out"), ValueError,
     "no case folder matches"),
    (lambda root: convergeout.load_sweep({"a": root / "rpm1500_egr10"}, "thermo.out",
                                         params={"b": {"rpm": 1}}), ValueError,
     "no parameters for 'a'; no case 'b'"),
    (lambda root: convergeout.load_sweep([root], "thermo.out", params="names"), ValueError,
     "is not a parameter"),
    (lambda root: convergeout.load_sweep([root / "rpm1500_egr10"] * 2, "thermo.out"), ValueError,
     "listed twice"),
    (lambda root: convergeout.load_sweep([root], 3), TypeError, "name of an output file"),
]


@pytest.mark.parametrize("make,error,words", BAD_SWEEPS)
def test_a_sweep_that_cannot_be_made_says_why(sweep_root, make, error, words):
    with pytest.raises(error, match=words):
        make(sweep_root)


def test_parameters_from_folder_names():
    assert convergeout.parse_case_name("rpm1500_egr10") == {"rpm": 1500, "egr": 10}
    assert convergeout.parse_case_name("phi0.85_soi-12") == {"phi": 0.85, "soi": -12}
    assert convergeout.parse_case_name("T3.5e2") == {"T": 350.0}
    for name in ("baseline", "rpm1500-egr10", "rpm_1500", "rpm1500_rpm2000", "15rpm"):
        with pytest.raises(ValueError, match=f"case folder '{name}'"):
            convergeout.parse_case_name(name)


def test_workers_give_the_same_values_and_report_every_fault(sweep_root):
    frames = [convergeout.load_sweep(str(sweep_root / "rpm*"), "thermo.out",
                                     workers=workers).to_pandas() for workers in (1, 3)]
    pd.testing.assert_frame_equal(frames[0], frames[1])
    threads = []

    def fault():
        threads.append(threading.current_thread().name)
        raise RuntimeError("a fault in a worker")

    with pytest.raises(RuntimeError, match="a fault in a worker"):
        _workers.run_all([fault, lambda: 1, fault], workers=2)
    assert len(threads) == 2 and all(t.startswith("convergeout") for t in threads)
    assert _workers.run_all([lambda: 1, lambda: 2], workers=None) == [(True, 1), (True, 2)]


# distributed's event loop uses a call that tornado deprecates; not ours to mend.
@pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")
def test_to_dask_reads_headers_only_and_computes_on_a_cluster(sweep_root):
    distributed = pytest.importorskip("distributed")
    broken = sweep_root / "zz_broken_rows"
    broken.mkdir()
    write_thermo(broken / "thermo.out", 1.0)
    (broken / "thermo.out").write_bytes((broken / "thermo.out").read_bytes() + b"1 x 3\n")
    sweep = convergeout.load_sweep(str(sweep_root / "*"), "thermo.out", params={
        name: {"rpm": 1500 + i} for i, name in enumerate([*CASES, "zz_broken_rows"])})
    lazy = sweep.to_dask()  # the broken rows are not read here
    assert lazy.npartitions == 4
    with pytest.raises(convergeout.LoadError, match="line 187"):
        lazy.partitions[3].compute(scheduler="sync")
    good = convergeout.load_sweep({n: sweep_root / n for n in CASES}, "thermo.out",
                                  params={n: {"rpm": 1500 + i} for i, n in enumerate(CASES)})
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        computed = good.to_dask().compute()
        assert len(client.scheduler_info()["workers"]) == 2
    expected = good.to_pandas().reset_index()
    pd.testing.assert_frame_equal(computed.reset_index(drop=True), expected)


def test_to_dask_without_dask_names_the_package():
    script = ("import sys; sys.modules['dask'] = None\n"
              "import convergeout\n"
              "sweep = convergeout.load_sweep(['examples'], 'engine_cycle.out')\n"
              "assert sweep.to_pandas().shape[0] == 300\n"
              "try:\n"
              "    sweep.to_dask()\n"
              "except ImportError as e:\n"
              "    print(e)\n")
    run = subprocess.run([sys.executable, "-c", script], cwd=ROOT, capture_output=True, text=True,
                         check=True)
    assert "apt install python3-dask" in run.stdout


def test_load_case_loads_on_threads_with_the_same_results(tmp_path):
    for name in ("engine_cycle.out", "regions_cycle1.out", "regions_cycle2.out"):
        (tmp_path / name).write_bytes((EXAMPLES / name).read_bytes())
    one, _ = convergeout.load_case(tmp_path, workers=1)
    many, _ = convergeout.load_case(tmp_path, workers=3)
    for key in one:
        pd.testing.assert_frame_equal(one[key].to_pandas(), many[key].to_pandas())
