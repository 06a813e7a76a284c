"""The Python module against screenfilter-cli: the same numbers bit for bit
(floats compared with ==, shown with float.hex), the same messages."""

import json
import os
import subprocess

import numpy as np
import pytest

import screenfilter as sf

CLI = os.environ["SCREENFILTER_CLI"]
DATA = os.environ["SCREENFILTER_TEST_DATA"]


def cli(*args, cwd=None):
    done = subprocess.run([CLI, *args], capture_output=True, text=True, cwd=cwd)
    return done.returncode, done.stdout, done.stderr


@pytest.fixture
def case_file(tmp_path):
    """Writes the worked example with `old` texts replaced by `new` ones."""
    _, example, _ = cli("init")

    def write(name="pack.sfcase", **replace):
        text = example
        for old, new in replace.values():
            assert old in text
            text = text.replace(old, new, 1)
        path = tmp_path / name
        path.write_text(text)
        return str(path)
    return write


def same(a, b, where=""):
    """Equal JSON values, floats bit for bit."""
    if isinstance(a, float) or isinstance(b, float):
        assert isinstance(a, (int, float)) and isinstance(b, (int, float)), where
        assert float(a).hex() == float(b).hex(), f"{where}: {float(a).hex()} != {float(b).hex()}"
    elif isinstance(a, dict):
        assert a.keys() == b.keys(), where
        for k in a:
            same(a[k], b[k], f"{where}.{k}")
    elif isinstance(a, list):
        assert len(a) == len(b), where
        for i, (x, y) in enumerate(zip(a, b)):
            same(x, y, f"{where}[{i}]")
    else:
        assert a == b, where


# (name, keyword values, the case file's text edits with the same effect, unit)
RUNS = [
    ("worked example", {}, {}, "kgf/cm2"),
    ("flow 120 in bar", {"flow_rate": 120.0}, {"q": ("flow_rate = 57.0", "flow_rate = 120.0")}, "bar"),
    ("hot, psi", {"temperature": 310.5}, {"t": ("temperature = 290.0", "temperature = 310.5")}, "psi"),
    ("screen 3 wire, MPa", {"screens.3.wire": 0.014}, {"w": ("wire = 0.02540 }", "wire = 0.014 }")}, "MPa"),
    ("five screens", {"count": 5}, {"n": ("count = 12", "count = 5")}, "kgf/cm2"),
    ("text value", {"density": "0.91"}, {"d": ("density = 0.96", 'density = "0.91"')}, "kgf/cm2"),
]


@pytest.mark.parametrize("name,values,edits,unit", RUNS, ids=[r[0] for r in RUNS])
def test_run_is_the_cli_json(case_file, name, values, edits, unit):
    base = case_file()
    edited = case_file("edited.sfcase", **edits)
    rc, out, err = cli("run", "--format", "json", "--units", unit, edited)
    assert rc == 0, err
    expected = json.loads(out)
    result = sf.run(base, values={k: v for k, v in values.items() if "." in k}, unit=unit,
                    **{k: v for k, v in values.items() if "." not in k})
    expected["case"] = base
    same(result.details, expected)
    assert result.total.hex() == float(expected["total"]).hex()
    assert [s.pressure_drop for s in result.screens] == [s["pressure_drop"] for s in expected["screens"]]
    # A mapping over the worked example is the same case; its total in
    # kgf/cm2 converts to the command line's in each unit.
    assert sf.run(dict(values)).total_in(unit).hex() == result.total.hex()


def test_worked_example_numbers():
    # The golden report prints 363.32 and screen 1's 17.75.
    result = sf.run({})
    assert result.total == 363.3168215683853
    assert result.screens[0] == (1, 30, 0.02946, 0.05520666666666667, 0.4251656085312171, 45.410437284028504,
                                 2295.8042041589047, 177.58961037477744, 17.748552093460738)
    assert len(result.screens) == 12 and result.diagnoses == [] and result.status == "ok"


# Bad input: (name, call, exception class, message, the CLI's stderr for the
# same case file when it has one: edits to the worked example)
BAD = [
    ("unknown key", lambda p: sf.run(p, flow_rat=1), sf.UnknownKeyError,
     "flow_rat is no key of a case; did you mean process.flow_rate?", None),
    ("unknown full key", lambda p: sf.run(p, values={"screens.3.wir": 1}), sf.UnknownKeyError,
     "screens.3.wir is no key of a case; did you mean screens.3.wire?", None),
    ("wrong type", lambda p: sf.run(p, flow_rate=[1]), sf.BadValueError,
     "process.flow_rate: a number or a text, not list", None),
    ("bool", lambda p: sf.run(p, count=True), sf.BadValueError, "pack.count: a number or a text, not bool", None),
    ("not a number", lambda p: sf.run(p, flow_rate="fast"), sf.CaseRefusedError,
     "{p}: process.flow_rate: 'fast' is not a number; write digits with '.' as the decimal separator, such as 57.0 "
     "['fast' は浮動小数点数ではありません.]", ("flow_rate = 57.0", 'flow_rate = "fast"')),
    ("negative", lambda p: sf.run(p, flow_rate=-5), sf.CaseRefusedError,
     "{p}: process.flow_rate: Flow Rate is -5 kg/hr; it must be greater than 0 [不正な浮動小数点数演算命令.]",
     ("flow_rate = 57.0", "flow_rate = -5")),
    ("nan", lambda p: sf.run(p, temperature=float("nan")), sf.CaseRefusedError,
     "{p}: process.temperature: 'nan' is not a number; write digits with '.' as the decimal separator "
     "['nan' は浮動小数点数ではありません.]", ("temperature = 290.0", "temperature = nan")),
    ("missing file", lambda p: sf.run(p + ".missing"), sf.CaseFileError,
     "{p}.missing: cannot be read: No such file or directory", None),
    ("bad unit", lambda p: sf.run(p, unit="atm"), sf.BadValueError, "unit: kgf/cm2, bar, MPa or psi, not atm", None),
    ("sweep key", lambda p: sf.sweep(p, flow_rat=[1, 2]), sf.OptionError,
     "--vary flow_rat=1: 'flow_rat' is no numeric key of a case file; did you mean process.flow_rate?", None),
    ("sweep count", lambda p: sf.sweep(p, count=[2, 2.5]), sf.OptionError,
     "--vary count=2.5: the number of screens takes whole numbers", None),
    ("sweep three keys", lambda p: sf.sweep(p, flow_rate=[1], density=[1], temperature=[1]), sf.OptionError,
     "--vary: one or two keys", None),
    ("solve key", lambda p: sf.solve(p, find="flow", limit="total=1bar"), sf.OptionError,
     "--find: flow is no key of a case; did you mean process.flow_rate?", None),
    ("solve range", lambda p: sf.solve(p, find="flow_rate", limit="total=1bar", range=(5, 1)), sf.OptionError,
     "--range: 5:1: FROM below TO", None),
    ("solve no limit", lambda p: sf.solve(p, find="flow_rate"), sf.OptionError,
     "{p}: no limit: give --limit total=PRESSURE, or limit = \"total=PRESSURE\" in the case's [study]", None),
    ("points missing", lambda p: sf.fit_melt(p + ".csv"), sf.PointsFileError,
     "{p}.csv: No such file or directory", None),
    ("fit window", lambda p: sf.fit_melt(os.path.join(DATA, "melt-worked-example.csv"), temperature_range=(300, 200)),
     sf.OptionError, "--temperature-range 300:200: the lowest and the highest value fitted, in ℃, as in 200:260; "
     "both are included", None),
]


@pytest.mark.parametrize("name,call,error,message,edit", BAD, ids=[b[0] for b in BAD])
def test_bad_input_says_the_cli_line(case_file, name, call, error, message, edit):
    path = case_file()
    with pytest.raises(error) as raised:
        call(path)
    assert isinstance(raised.value, ValueError)
    assert str(raised.value) == message.format(p=path)
    if edit:
        rc, _, err = cli("run", path := case_file("bad.sfcase", e=edit), "-o", os.devnull)
        assert rc == 1 and err.strip() == message.format(p=path)


# Warnings are said as the command line says them; notes only with
# --verbose, so never here; --strict refuses a warning.
WARNINGS = [
    ("notes unsaid", ("count = 12", "count = 5"), []),
    ("small open area", ("wire = 0.00406 }", "wire = 0.0105 }"),
     ["{p}: warning: screens.12.wire: screen 12 is 3.001 % open (under 15 %): an opening of 0.0022 cm between "
      "wires of 0.0105 cm; check that the wire diameter is in cm and the mesh in wires per inch"]),
]


@pytest.mark.parametrize("name,edit,lines", WARNINGS, ids=[w[0] for w in WARNINGS])
def test_warnings_are_the_cli_lines(case_file, name, edit, lines):
    path = case_file(e=edit)
    expected = [line.format(p=path) for line in lines]
    _, _, err = cli("run", path, "-o", os.devnull)
    assert err.splitlines() == expected
    assert sf.run(path).warnings == expected
    rc, _, err = cli("run", "--strict", path, "-o", os.devnull)
    if expected:
        with pytest.raises(sf.CaseRefusedError) as raised:
            sf.run(path, strict=True)
        assert rc == 1 and str(raised.value) == err.strip()
    else:
        assert sf.run(path, strict=True).warnings == []


def test_unchecked_run_keeps_the_diagnoses():
    result = sf.run({"flow_rate": -5}, check=False)
    assert (result.status, result.total) == ("failed", None)
    assert [(d["code"], d["key"]) for d in result.diagnoses] == [("not-positive", "process.flow_rate")]


def cli_sweep(path, *vary, extra=()):
    args = ["sweep", path, "--format", "json", *extra]
    for v in vary:
        args += ["--vary", v]
    rc, out, err = cli(*args)
    return rc, [json.loads(line) for line in out.splitlines()]


# (name, the CLI's --vary, the module's grids, options)
SWEEPS = [
    ("flow range", ["flow_rate=10:100:10"], {"flow_rate": np.linspace(10, 100, 10)}, {}),
    ("two keys, psi", ["flow_rate=-20,0,5,80", "temperature=200,260.5"],
     {"flow_rate": [-20, 0, 5, 80], "temperature": [200, 260.5]}, {"unit": "psi"}),
    ("screen wire, unchecked", ["screens.11.wire=0.004,0.0127,0.02"], {"vary": {"screens.11.wire": [0.004, 0.0127, 0.02]}},
     {"check": False}),
    ("pack count", ["count=1,3,12"], {"count": [1, 3, 12]}, {"details": True, "threads": 1}),
]


@pytest.mark.parametrize("name,vary,grids,options", SWEEPS, ids=[s[0] for s in SWEEPS])
def test_sweep_is_the_cli_sweep(case_file, name, vary, grids, options):
    path = case_file()
    extra = (["--units", options["unit"]] if "unit" in options else []) + \
            (["--no-check"] if options.get("check") is False else []) + \
            (["--columns", "details"] if options.get("details") else [])
    _, rows = cli_sweep(path, *vary, extra=extra)
    table = sf.sweep(path, **grids, **options)
    assert len(table["total"]) == len(rows)
    keys = [v.split("=")[0] for v in vary]
    for i, row in enumerate(rows):
        for key in keys:
            assert table[key][i] == row[key]
        assert table["status"][i] == row["status"], i
        if row["total"] is None:
            assert np.isnan(table["total"][i])
            continue
        same(float(table["total"][i]), row["total"], f"total[{i}]")
        for s, drop in enumerate(row["drops"], 1):
            same(float(table[f"drop_{s}"][i]), drop, f"drop_{s}[{i}]")
        for s, rate in enumerate(row.get("wall_shear_rates", []), 1):
            same(float(table[f"wall_shear_rate_{s}"][i]), rate, f"wall_shear_rate_{s}[{i}]")


def test_sweep_threads_give_the_same_arrays():
    grid = {"flow_rate": np.linspace(1, 500, 5001), "temperature": [230, 290]}
    one, four = sf.sweep({}, threads=1, **grid), sf.sweep({}, threads=4, **grid)
    assert one.keys() == four.keys()
    for key in one:
        assert np.array_equal(one[key], four[key], equal_nan=key != "status"), key


@pytest.mark.parametrize("find,limit,rng", [
    ("flow_rate", "total=150bar", None),
    ("temperature", "drop.12=20psi", (200, 400)),
    ("screens.11.wire", "total=2000kgf/cm2", None),
])
def test_solve_is_the_cli_json(case_file, find, limit, rng):
    path = case_file()
    args = ["solve", path, "--format", "json", "--find", find, "--limit", limit]
    if rng:
        args += ["--range", f"{rng[0]}:{rng[1]}"]
    _, out, _ = cli(*args)
    same(sf.solve(path, find=find, limit=limit, range=rng), json.loads(out))


@pytest.mark.parametrize("options,args", [
    ({}, []),
    ({"shift_a": 15000}, ["--shift-a", "15000"]),
    ({"temperature_range": (200, 290), "reference_temperature": 250.5},
     ["--temperature-range", "200:290", "--reference-temperature", "250.5"]),
    ({"activation_energy": "45kJ/mol", "activation_energy_at": "constant-stress", "viscosity_unit": "mPa.s"},
     ["--activation-energy", "45kJ/mol", "--activation-energy-at", "constant-stress", "--viscosity-unit", "mPa.s"]),
])
def test_fit_melt_is_the_cli_json(options, args):
    points = os.path.join(DATA, "melt-worked-example.csv")
    _, out, err = cli("melt", "fit", points, "--format", "json", *args)
    same(sf.fit_melt(points, **options), json.loads(out)["melt"])


def test_no_qt_is_loaded():
    with open("/proc/self/maps") as maps:
        assert "libQt6" not in maps.read()
    assert "_core" in sf._core.__file__
