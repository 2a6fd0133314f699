"""docs/python-example.ipynb runs with Jupyter on a kernel of a venv the
package is installed in, as a user would run it, and shows its pictures."""
import base64
import json
import os
import shutil
import subprocess

import pytest

from conftest import REPOSITORY

NOTEBOOK = os.path.join(REPOSITORY, "docs", "python-example.ipynb")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def test_the_example_notebook_runs_and_shows_its_pictures(installed_venv, tmp_path):
    python, _ = installed_venv
    for module in ("nbconvert", "ipykernel"):
        if subprocess.run([python, "-c", "import " + module]).returncode != 0:
            pytest.skip("%s is missing: apt-get install jupyter-nbconvert python3-ipykernel" % module)
    # Jupyter's own files in the test's directory, not the user's.
    env = {k: v for k, v in os.environ.items() if k not in ("TALVEX_LIBRARY", "PYTHONPATH")}
    env.update(JUPYTER_RUNTIME_DIR=str(tmp_path / "runtime"), JUPYTER_CONFIG_DIR=str(tmp_path / "config"),
               IPYTHONDIR=str(tmp_path / "ipython"))
    venv = os.path.dirname(os.path.dirname(python))
    # The kernel a user installs with --user, here into the venv itself.
    subprocess.run([python, "-m", "ipykernel", "install", "--prefix", venv, "--name", "talvex-test"],
                   check=True, capture_output=True, env=env, timeout=120)
    shutil.copy(NOTEBOOK, tmp_path / "example.ipynb")
    executed = subprocess.run(
        [python, "-m", "nbconvert", "--to", "notebook", "--execute", "--ExecutePreprocessor.kernel_name=talvex-test",
         "--ExecutePreprocessor.timeout=120", "--output", "executed.ipynb", "example.ipynb"],
        capture_output=True, text=True, cwd=tmp_path, env=env, timeout=300)
    assert executed.returncode == 0, executed.stderr
    with open(tmp_path / "executed.ipynb") as file:
        cells = [cell for cell in json.load(file)["cells"] if cell["cell_type"] == "code"]
    errors = [output for cell in cells for output in cell["outputs"] if output["output_type"] == "error"]
    assert not errors
    pictures = [base64.b64decode(output["data"]["image/png"]) for cell in cells for output in cell["outputs"]
                if "image/png" in output.get("data", {})]
    assert len(pictures) == 3 and all(picture.startswith(PNG_SIGNATURE) for picture in pictures)
    # The surface, the surface with the curve, and the saved file: each differs.
    assert len(set(pictures[:2])) == 2
    assert (tmp_path / "talvex-example.png").read_bytes() == pictures[2]
    assert any("talvex.Chart 480x360, scripts in slots 0, 1" in "".join(output.get("text", ""))
               for output in cells[2]["outputs"])
