# The add-on's side of z5def: finding the program, running it in a folder
# of the add-on's own, and the OBJ that gives an object's positions back.
# Nothing here needs Blender.
import os
import shutil
import subprocess

# A run of z5def that takes longer is stopped: the largest objects take
# seconds.
TIMEOUT_SECONDS = 300

PREFERENCES = "Edit > Preferences > Add-ons > Z5 Def Tool"


class Failure(Exception):
    """A one-line reason, shown in Blender's report area."""


def find_program(configured):
    """The z5def to run: the path given in the preferences, else z5def on
    the PATH."""
    if configured:
        if not os.path.isfile(configured):
            raise Failure('z5def is not at "%s": give its path in %s' % (configured, PREFERENCES))
        return configured
    found = shutil.which("z5def")
    if not found:
        where = " (z5def.exe in the unpacked ZIP)" if os.name == "nt" else ""
        raise Failure(
            "z5def was not found on the PATH: give its path%s in %s" % (where, PREFERENCES)
        )
    return found


def run(program, folder, *words):
    """Runs `z5def -q -C FOLDER WORDS...`, its arguments as a list (no shell
    in between). Returns the warnings z5def printed; a failure raises
    Failure with z5def's one-line reason (a FOLDER that is gone too)."""
    command = [program, "-q", "-C", folder, *words]
    try:
        done = subprocess.run(
            command,
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            timeout=TIMEOUT_SECONDS,
            # No console window flashes up on Windows.
            creationflags=getattr(subprocess, "CREATE_NO_WINDOW", 0),
        )
    except subprocess.TimeoutExpired:
        raise Failure(
            "z5def %s took more than %d s and was stopped" % (" ".join(words[:2]), TIMEOUT_SECONDS)
        )
    except OSError as error:
        raise Failure('z5def could not be started ("%s"): %s' % (program, error.strerror or error))
    lines = done.stderr.decode("utf-8", "replace").splitlines()
    if done.returncode != 0:
        # The reason is z5def's last line; warnings before it say more.
        reasons = [line for line in lines if line.startswith("z5def")]
        if reasons:
            raise Failure(reasons[-1])
        raise Failure("z5def %s ended with exit status %d" % (" ".join(words[:2]), done.returncode))
    return [line for line in lines if ": warning: " in line]


def definition_file(folder, name):
    """The file of `name` in `folder`, in any letter case, as z5def finds
    it; none or two of them is a Failure."""
    try:
        found = [entry for entry in os.listdir(folder) if entry.lower() == name]
    except OSError as error:
        raise Failure("%s cannot be read: %s" % (folder, error.strerror or error))
    if not found:
        raise Failure("%s holds no %s" % (folder, name))
    if len(found) > 1:
        raise Failure("%s holds both %s and %s: which one is meant?" % (folder, found[0], found[1]))
    return os.path.join(folder, found[0])


def copy_definitions(folder, target):
    """Copies vertex.def and flavor.def of `folder` into `target`."""
    for name in ("vertex.def", "flavor.def"):
        source = definition_file(folder, name)
        try:
            shutil.copyfile(source, os.path.join(target, name))
        except OSError as error:
            raise Failure("%s cannot be read: %s" % (source, error.strerror or error))


def write_positions(path, points, faces):
    """Writes the OBJ that `3do positions` takes: each point (x, y, z) as
    `v x z -y`, the axes `3do export` writes, then the faces by vertex
    number from 1, which positions compares with the object's."""
    lines = ["v %r %r %r" % (x, z, -y) for x, y, z in points]
    lines += ["f " + " ".join(str(number + 1) for number in face) for face in faces]
    with open(path, "w", encoding="ascii", newline="\n") as obj:
        obj.write("\n".join(lines) + "\n")
