#!/usr/bin/env python3
"""Write a made-up Squid native access.log, the same for the same seed.

Each line has the native layout
    time.millis elapsed client action/code size method URL user hierarchy/from type
for example
    1286536308.779    180 192.168.10.200 TCP_MISS/200 12345 GET http://www.example.com/a.gif jdoe DIRECT/93.184.216.34 image/gif

The mix: several hundred named users and a pool of clients that log no user
("-"), plain misses, memory and disk hits, refreshes, tunnels, denials
(403 and 407), aborted and failed requests (NONE/000, TAG_NONE/503), reply
sizes spread log-normally and a few downloads of more than 2 GiB. Time stamps
only ever increase and cover several days.

With --profile realistic the log looks more like a real proxy's day: over
5,000 named users (some in realm forms, DOMAIN\\user and user@REALM) and
clients without one, 50,000 destination domains with a long-tailed
popularity, URLs with query strings of up to a few KB, a daily rhythm of
request rates, bursts of denied requests from one client, and a few garbage
lines (cut-off lines, control and high bytes, blank lines).

    genlog.py --lines 2000000 --seed 7 --out big.log
    genlog.py --lines 2000000 --seed 42 --profile realistic --out day.log
    genlog.py --out live.log --append-every 2 --pid 1234
"""

import argparse
import itertools
import math
import os
import random
import sys
import time

SYLLABLES = ("al", "ba", "cor", "da", "el", "fen", "gar", "hol", "in", "jo",
             "ka", "lum", "mar", "nor", "ol", "pan", "qui", "ras", "sol", "tek",
             "ur", "vel", "wex", "yor", "zan", "net", "web", "cloud", "media")
TLDS = ("com", "com", "com", "net", "org", "de", "co.uk", "fr", "nl", "io")
FIRST = ("anna", "ben", "carla", "dave", "eva", "frank", "gina", "hugo", "ida",
         "jack", "kim", "leo", "mia", "nick", "olga", "paul", "rita", "sam",
         "tina", "uwe", "vera", "will", "xena", "yves", "zoe")
LAST = ("smith", "jones", "brown", "miller", "davis", "garcia", "wilson",
        "moore", "taylor", "white", "harris", "martin", "clark", "lewis",
        "walker", "hall", "young", "king", "wright", "green", "baker", "adams")

# (extension, mime type, log-normal mu, sigma) of the objects fetched.
OBJECTS = (
    ("html", "text/html", 9.0, 1.2),
    ("", "text/html", 8.6, 1.3),
    ("css", "text/css", 8.5, 1.0),
    ("js", "application/javascript", 9.5, 1.2),
    ("gif", "image/gif", 7.0, 1.5),
    ("png", "image/png", 8.5, 1.5),
    ("jpg", "image/jpeg", 10.0, 1.3),
    ("json", "application/json", 7.5, 1.4),
    ("mp4", "video/mp4", 14.0, 1.6),
    ("zip", "application/zip", 13.0, 2.0),
    ("pdf", "application/pdf", 12.0, 1.3),
)
OBJECT_WEIGHTS = (14, 10, 8, 12, 10, 12, 12, 8, 2, 1, 2)
DIRS = ("images", "static", "assets", "news", "img/2010", "cdn", "docs",
        "media/thumbs", "wp-content/uploads", "api/v2", "download", "css")
WORDS = ("index", "banner_large", "logo", "article", "main", "photo", "report",
         "update", "style", "jquery.min", "player", "thumb", "setup", "readme")

# How requests end, with weights. The kind decides the rest of the line.
ACTIONS = (
    ("TCP_MISS/200", "miss", 420),
    ("TCP_MISS/304", "miss0", 25),
    ("TCP_MISS/404", "miss", 15),
    ("TCP_MISS/302", "miss0", 12),
    ("TCP_MISS/206", "miss", 6),
    ("TCP_MEM_HIT/200", "hit", 70),
    ("TCP_HIT/200", "hit", 60),
    ("TCP_IMS_HIT/304", "hit0", 15),
    ("TCP_REFRESH_UNMODIFIED/200", "refresh", 30),
    ("TCP_REFRESH_UNMODIFIED/304", "refresh0", 15),
    ("TCP_REFRESH_MODIFIED/200", "refresh", 12),
    ("TCP_REFRESH_MISS/200", "refresh", 6),
    ("TCP_REFRESH_FAIL_OLD/200", "refresh", 2),
    ("TCP_CLIENT_REFRESH_MISS/200", "miss", 5),
    ("TCP_NEGATIVE_HIT/404", "hit", 4),
    ("TCP_INM_HIT/304", "hit0", 5),
    ("TCP_HIT_ABORTED/000", "abort", 2),
    ("TCP_MISS_ABORTED/000", "abort", 4),
    ("TCP_SWAPFAIL_MISS/200", "miss", 1),
    ("TCP_REDIRECT/302", "redirect", 2),
    ("TCP_TUNNEL/200", "tunnel", 120),
    ("TCP_MISS/200", "tunnel", 30),
    ("TCP_DENIED/403", "denied", 20),
    ("TCP_DENIED/407", "auth", 25),
    ("NONE/000", "none", 3),
    ("TAG_NONE/503", "tagnone", 3),
)


def make_hosts(rng, count):
    hosts = []
    seen = set()
    while len(hosts) < count:
        name = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(2, 3)))
        domain = name + "." + rng.choice(TLDS)
        if domain in seen:
            continue
        seen.add(domain)
        prefix = rng.choice(("www.", "www.", "", "cdn.", "img.", "static.", "api."))
        addr = "%d.%d.%d.%d" % (rng.randint(2, 223), rng.randint(0, 255),
                                rng.randint(0, 255), rng.randint(1, 254))
        hosts.append((prefix + domain, addr))
    return hosts


def realistic_name(rng, first, last):
    """A user as a larger site's proxy logs them, realm forms included."""
    name = rng.choice((first[0] + last, first + "." + last, last + first[0]))
    if rng.random() < 0.7:
        name += str(rng.randint(1, 999))
    form = rng.random()
    if form < 0.12:
        return rng.choice(("CORP", "SALES", "LAB")) + "\\" + name
    if form < 0.22:
        return name + "@" + rng.choice(("CORP.EXAMPLE.COM", "example.org"))
    return name


def make_clients(rng, named, anonymous, realistic=False):
    """Named users with their desks, then addresses that log no user."""
    names = set()
    users = []
    while len(users) < named:
        first, last = rng.choice(FIRST), rng.choice(LAST)
        if realistic:
            name = realistic_name(rng, first, last)
            if name not in names:
                names.add(name)
                users.append(name)
            continue
        style = rng.random()
        if style < 0.55:
            name = first[0] + last
        elif style < 0.8:
            name = first + "." + last
        elif style < 0.9:
            name = last + str(rng.randint(1, 99))
        elif style < 0.95:
            name = (first[0] + last).upper()
        else:
            name = first.capitalize() + "%20" + last.capitalize()
        if name in names:
            continue
        names.add(name)
        users.append(name)
    clients = []
    for i, name in enumerate(users):
        clients.append(("192.168.%d.%d" % (10 + i // 250, 1 + i % 250), name))
    for i in range(anonymous):
        clients.append(("10.0.%d.%d" % (i // 200, 10 + i % 200), "-"))
    # A few heavy users and many light ones, as on a real proxy.
    weights = [1.0 / (k + 3) ** 0.8 for k in range(len(clients))]
    rng.shuffle(weights)
    return clients, weights


def garbage_line(rng, real):
    """What a torn write, a crash or a stray program leaves in a log."""
    kind = rng.random()
    if kind < 0.4:
        return real[:rng.randint(1, max(1, len(real) - 2))] + "\n"
    if kind < 0.7:
        return "".join(chr(rng.choice((rng.randint(1, 9), rng.randint(11, 31), rng.randint(128, 255),
                                       rng.randint(32, 126))))
                       for _ in range(rng.randint(1, 300))) + "\n"
    if kind < 0.85:
        return "\n"
    return rng.choice(("-", "??", "squid: ", "0 0 0 0 0 0 0 0 0 0")) + " garbage " * rng.randint(0, 9) + "\n"


class LogMaker:
    def __init__(self, seed, profile="plain"):
        self.rng = random.Random(seed)
        self.realistic = profile == "realistic"
        if self.realistic:
            self.hosts = make_hosts(self.rng, 50000)
            # A few very popular sites and a long tail met once or twice.
            self.host_cum = list(itertools.accumulate(1.0 / (k + 1) ** 0.85 for k in range(len(self.hosts))))
            self.clients, self.client_weights = make_clients(self.rng, 5200, 800, realistic=True)
            self.burst_left = 0
        else:
            self.hosts = make_hosts(self.rng, 600)
            self.host_cum = list(itertools.accumulate(1.0 / (k + 1) ** 0.9 for k in range(len(self.hosts))))
            self.clients, self.client_weights = make_clients(self.rng, 420, 180)
        self.client_cum = list(itertools.accumulate(self.client_weights))
        self.actions = [a[:2] for a in ACTIONS]
        self.action_weights = [a[2] for a in ACTIONS]

    def long_query(self):
        """A query string of tens of bytes up to a few KB (tracking, search, tokens)."""
        rng = self.rng
        length = min(4000, int(rng.lognormvariate(4.5, 1.1)))
        parts = []
        size = 0
        while size < length:
            key = rng.choice(("q", "id", "utm_source", "token", "session", "ref", "cb", "data", "v"))
            value = "%x" % rng.getrandbits(rng.choice((16, 64, 256)))
            parts.append(key + "=" + value)
            size += len(key) + len(value) + 2
        return "?" + "&".join(parts)

    def url(self, host, ext):
        rng = self.rng
        path = rng.choice(DIRS) + "/" + rng.choice(WORDS)
        if ext:
            path += "%d.%s" % (rng.randint(1, 999), ext)
        else:
            path += "/"
        if self.realistic:
            if rng.random() < 0.35:
                path += self.long_query()
        elif rng.random() < 0.15:
            path += "?id=%d&s=%x" % (rng.randint(1, 99999), rng.getrandbits(24))
        scheme = "ftp://" if ext == "zip" and rng.random() < 0.2 else "http://"
        return scheme + host + "/" + path

    def line(self, stamp, client, user, action, kind, host, obj):
        """One log line for a request finished at time stamp."""
        rng = self.rng
        name, addr = host
        ext, mime, mu, sigma = obj
        method = "GET"
        hier = "DIRECT/" + addr
        url = None
        if kind in ("miss", "refresh"):
            size = int(rng.lognormvariate(mu, sigma)) + 200
            elapsed = int(rng.lognormvariate(5.0, 1.2))
            if rng.random() < 0.04:
                method = "POST"
                mime = "application/x-www-form-urlencoded"
        elif kind in ("miss0", "refresh0", "redirect"):
            size = rng.randint(180, 520)
            elapsed = int(rng.lognormvariate(4.5, 1.0))
            mime = "text/html" if kind == "redirect" else "-"
        elif kind in ("hit", "hit0"):
            size = int(rng.lognormvariate(mu, sigma)) + 200 if kind == "hit" else rng.randint(200, 420)
            elapsed = int(rng.lognormvariate(1.0, 1.0))
            hier = "NONE/-"
        elif kind == "abort":
            size = int(rng.lognormvariate(mu - 1.0, sigma))
            elapsed = int(rng.lognormvariate(7.0, 1.5))
        elif kind == "tunnel":
            method = "CONNECT"
            url = name + ":443"
            size = int(rng.lognormvariate(9.5, 2.0))
            elapsed = int(rng.lognormvariate(9.0, 1.8))
            mime = "-"
        elif kind in ("denied", "auth"):
            size = rng.randint(3400, 4100)
            elapsed = rng.randint(0, 3)
            hier = "NONE/-"
            mime = "text/html"
            if kind == "auth":
                user = "-"
        elif kind == "none":
            method, url, size = "NONE", "error:invalid-request", 0
            elapsed = rng.randint(0, 40)
            hier, mime, user = "NONE/-", "-", "-"
        else:  # "tagnone": the tunnel could not be opened
            method, url, size = "CONNECT", name + ":443", 0
            elapsed = rng.randint(0, 30000)
            hier, mime = "NONE/-", "-"
        if url is None:
            url = self.url(name, ext)
        return "%d.%03d %6d %s %s %d %s %s %s %s %s\n" % (
            stamp // 1000, stamp % 1000, elapsed, client, action, size,
            method, url, user, hier, mime)

    def big_download(self, stamp, client, user):
        """A download of more than 2 GiB, such as a DVD image."""
        rng = self.rng
        name, addr = rng.choice(self.hosts)
        size = rng.randint(2 ** 31 + 1, 6 * 2 ** 30)
        url = "http://%s/pub/releases/disc%d-dvd-amd64.iso" % (name, rng.randint(1, 9))
        return "%d.%03d %6d %s TCP_MISS/200 %d GET %s %s DIRECT/%s application/octet-stream\n" % (
            stamp // 1000, stamp % 1000, rng.randint(600000, 9000000), client,
            size, url, user, addr)

    def chunk(self, count, stamp, gap_ms, big):
        """count lines from stamp (ms) on; big holds the indices of large downloads."""
        rng = self.rng
        clients = rng.choices(self.clients, cum_weights=self.client_cum, k=count)
        actions = rng.choices(self.actions, self.action_weights, k=count)
        hosts = rng.choices(self.hosts, cum_weights=self.host_cum, k=count)
        objs = rng.choices(OBJECTS, OBJECT_WEIGHTS, k=count)
        if self.realistic:
            return self.realistic_chunk(count, stamp, gap_ms, big, clients, actions, hosts, objs)
        out = []
        for i in range(count):
            stamp += 1 + int(rng.expovariate(1.0 / gap_ms))
            client, user = clients[i]
            if i in big:
                out.append(self.big_download(stamp, client, user))
                continue
            action, kind = actions[i]
            out.append(self.line(stamp, client, user, action, kind, hosts[i], objs[i]))
        return "".join(out), stamp

    def realistic_chunk(self, count, stamp, gap_ms, big, clients, actions, hosts, objs):
        rng = self.rng
        out = []
        for i in range(count):
            # Quiet nights, busy office hours: the gap follows the hour of day.
            hour = (stamp // 3600000) % 24
            busy = 0.15 + 1.85 * max(0.0, math.sin(math.pi * (hour - 6) / 14.0)) if 6 <= hour <= 20 else 0.15
            stamp += 1 + int(rng.expovariate(busy / gap_ms))
            client, user = clients[i]
            if i in big:
                out.append(self.big_download(stamp, client, user))
                continue
            if self.burst_left == 0 and rng.random() < 0.0004:
                # A client hammering a blocked site: a run of denials.
                self.burst_left = rng.randint(20, 400)
                self.burst = (clients[i], hosts[i], rng.choice(("TCP_DENIED/403", "TCP_DENIED/407")))
            if self.burst_left > 0:
                self.burst_left -= 1
                (client, user), host, action = self.burst
                kind = "auth" if action.endswith("407") else "denied"
                out.append(self.line(stamp, client, user, action, kind, host, objs[i]))
                continue
            action, kind = actions[i]
            line = self.line(stamp, client, user, action, kind, hosts[i], objs[i])
            if rng.random() < 0.0003:
                out.append(garbage_line(rng, line))
            out.append(line)
        return "".join(out), stamp


def syslog_prefix(line):
    """Five fields as a syslog daemon puts before a relayed line."""
    t = time.gmtime(int(line.split(".", 1)[0]))
    return time.strftime("%b %e %H:%M:%S", t) + " proxy1 squid[2201]: "


def write_lines(maker, args, out):
    lines = args.lines
    gap_ms = max(1.0, args.days * 86400000.0 / max(lines, 1))
    stamp = args.start * 1000
    big_count = 3 + lines // 500000 if lines >= 200 else 0
    big_at = set(maker.rng.sample(range(lines), big_count)) if big_count else set()
    step = 20000
    done = 0
    while done < lines:
        count = min(step, lines - done)
        big = {i - done for i in big_at if done <= i < done + count}
        text, stamp = maker.chunk(count, stamp, gap_ms, big)
        if args.prefix:
            text = "".join(syslog_prefix(ln) + ln + "\n" for ln in text.split("\n")[:-1])
        out.write(text.encode("latin-1"))
        done += count


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def append_forever(maker, args):
    """One line every so often, time-stamped now, until killed or pid is gone."""
    fd = os.open(args.out, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o644)
    try:
        while args.pid is None or process_alive(args.pid):
            time.sleep(args.append_every)
            if args.pid is not None and not process_alive(args.pid):
                break
            text, _ = maker.chunk(1, int(time.time() * 1000), 1.0, set())
            os.write(fd, text.encode("latin-1"))
    finally:
        os.close(fd)


def parse_args(argv):
    p = argparse.ArgumentParser(description="Write a sample Squid native access.log.")
    p.add_argument("--lines", type=int, default=None,
                   help="lines to write (default 1000; 0 with --append-every)")
    p.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    p.add_argument("--start", type=int, default=1286536308,
                   help="time stamp of the first line, seconds since the epoch")
    p.add_argument("--days", type=float, default=4.0,
                   help="days the lines span (default 4)")
    p.add_argument("--out", default=None, help="output file (default standard output)")
    p.add_argument("--profile", choices=("plain", "realistic"), default="plain",
                   help="the mix of users, sites and lines (default plain)")
    p.add_argument("--prefix", action="store_true",
                   help="put a five-field syslog prefix before each line")
    p.add_argument("--append-every", type=float, default=None, metavar="SECONDS",
                   help="after the first lines, append one line to --out every SECONDS")
    p.add_argument("--pid", type=int, default=None,
                   help="with --append-every: stop when this process is gone")
    args = p.parse_args(argv)
    if args.lines is None:
        args.lines = 0 if args.append_every is not None else 1000
    if args.lines < 0:
        p.error("--lines must not be negative")
    if args.append_every is not None:
        if args.out is None:
            p.error("--append-every needs --out")
        if args.append_every <= 0:
            p.error("--append-every must be positive")
    return args


def main(argv):
    args = parse_args(argv)
    maker = LogMaker(args.seed, args.profile)
    if args.append_every is not None:
        with open(args.out, "ab", buffering=1 << 20) as out:
            write_lines(maker, args, out)
        try:
            append_forever(maker, args)
        except KeyboardInterrupt:
            pass
        return 0
    if args.out is None:
        write_lines(maker, args, sys.stdout.buffer)
        sys.stdout.buffer.flush()
    else:
        with open(args.out, "wb", buffering=1 << 20) as out:
            write_lines(maker, args, out)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except BrokenPipeError:
        sys.exit(0)
