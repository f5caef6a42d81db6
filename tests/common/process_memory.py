"""Counts whole copies of a secret in another process's memory, read through
/proc/PID/mem, in each form a program may hold it: UTF-16 (Windows' text), UTF-8 (a
strong file's password) and code page 936 (a .qz file's password)."""

FORMS = {"UTF-16LE": "utf-16-le", "UTF-8": "utf-8", "CP936": "gbk"}
CHUNK = 16 << 20
# Mapped by the kernel, not the program: reading them faults or means nothing.
SKIPPED = ("[vvar]", "[vvar_vclock]", "[vsyscall]")


def readable_regions(pid):
    """(start, end) of each mapping with a read bit; guard pages and reservations have none."""
    with open("/proc/%d/maps" % pid) as maps:
        for line in maps:
            fields = line.split()
            if "r" in fields[1] and (len(fields) < 6 or fields[5] not in SKIPPED):
                start, end = (int(x, 16) for x in fields[0].split("-"))
                yield start, end


def _count(data, pattern, fresh_from):
    """Occurrences that end past fresh_from: those before it were counted with the last block."""
    n, i = 0, data.find(pattern, max(0, fresh_from - len(pattern) + 1))
    while i >= 0:
        n += 1
        i = data.find(pattern, i + len(pattern))
    return n


def count_copies(pid, text):
    """{form: number of whole copies of text in that form} over the readable memory."""
    patterns = {form: text.encode(codec) for form, codec in FORMS.items()}
    keep = max(len(p) for p in patterns.values()) - 1
    counts = dict.fromkeys(FORMS, 0)
    with open("/proc/%d/mem" % pid, "rb", buffering=0) as mem:
        for start, end in readable_regions(pid):
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
