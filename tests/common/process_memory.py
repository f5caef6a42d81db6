"""Counts whole copies of a secret in another process's memory, read through
/proc/PID/mem, in each form a program may hold it: UTF-16 (Windows' text), UTF-8 (a
strong file's password) and code page 936 (a .qz file's password)."""

FORMS = {"UTF-16LE": "utf-16-le", "UTF-8": "utf-8", "CP936": "gbk"}
CHUNK = 16 << 20
# Mapped by the kernel, not the program: reading them faults or means nothing.
SKIPPED = ("[vvar]", "[vvar_vclock]", "[vsyscall]")


def _mappings(pid):
    """(start, end, permissions, name, locked kB) of each mapping."""
    found = []
    with open("/proc/%d/smaps" % pid) as smaps:
        for line in smaps:
            fields = line.split()
            if "-" in fields[0] and len(fields) >= 5:
                start, end = (int(x, 16) for x in fields[0].split("-"))
                found.append([start, end, fields[1], fields[5] if len(fields) > 5 else "", 0])
            elif fields[0] == "Locked:" and found:
                found[-1][4] = int(fields[1])
    return found


def readable_regions(pid, skip_guarded=False):
    """(start, end) of each mapping with a read bit; guard pages and reservations have none.
    skip_guarded leaves out the blocks of guarded memory that hold secrets on purpose:
    locked, with an inaccessible page right before and right after."""
    maps = _mappings(pid)
    for i, (start, end, perms, name, locked) in enumerate(maps):
        if "r" not in perms or name in SKIPPED:
            continue
        if skip_guarded and locked and 0 < i < len(maps) - 1:
            before, after = maps[i - 1], maps[i + 1]
            if before[1] == start and after[0] == end and before[2][:3] == after[2][:3] == "---":
                continue
        yield start, end


def _count(data, pattern, fresh_from):
    """Occurrences that end past fresh_from: those before it were counted with the last block."""
    n, i = 0, data.find(pattern, max(0, fresh_from - len(pattern) + 1))
    while i >= 0:
        n += 1
        i = data.find(pattern, i + len(pattern))
    return n


def count_copies(pid, text, skip_guarded=False):
    """{form: number of whole copies of text in that form} over the readable memory."""
    patterns = {form: text.encode(codec) for form, codec in FORMS.items()}
    keep = max(len(p) for p in patterns.values()) - 1
    counts = dict.fromkeys(FORMS, 0)
    with open("/proc/%d/mem" % pid, "rb", buffering=0) as mem:
        for start, end in readable_regions(pid, skip_guarded):
            tail = b""
            for offset in range(start, end, CHUNK):
                try:
                    mem.seek(offset)
                    block = mem.read(min(CHUNK, end - offset))
                except OSError:  # unmapped meanwhile, or not backed (a file's hole)
                    break
                data = tail + block
                for form, pattern in patterns.items():
                    counts[form] += _count(data, pattern, len(tail))
                tail = data[-keep:]
    return counts


def describe(counts):
    return ", ".join("%s %d" % (form, n) for form, n in counts.items())
