#!/usr/bin/env python3
"""Turns bench/run's measurements into the results block of docs/benchmarks.md.

summary.py RESULTS --runs N ... prints the block; summary.py --replace DOC puts the block read from standard input
between the results markers of DOC.
"""
import argparse
import statistics
import sys
from collections import defaultdict

BEGIN = "<!-- bench/run results: begin -->"
END = "<!-- bench/run results: end -->"


def replace(doc_path):
    block = sys.stdin.read().strip("\n")
    with open(doc_path, encoding="utf-8") as f:
        text = f.read()
    start, end = text.find(BEGIN), text.find(END)
    if start < 0 or end < start:
        sys.exit(f"summary.py: {doc_path} has no results markers")
    text = text[: start + len(BEGIN)] + "\n" + block + "\n" + text[end:]
    with open(doc_path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("results", nargs="?")
    parser.add_argument("--replace")
    for option in ("runs", "size-mib", "files", "image-bytes", "idle-seconds", "machine", "command", "revision", "load",
                   "date"):
        parser.add_argument("--" + option)
    args = parser.parse_args()
    if args.replace:
        replace(args.replace)
        return

    values = defaultdict(dict)
    with open(args.results, encoding="utf-8") as f:
        for line in f:
            name, run, value = line.split()
            values[name][int(run)] = float(value)

    def med(name):
        return statistics.median(values[name].values()) if values[name] else None

    def ratios(subject, reference):
        runs = sorted(set(values[subject]) & set(values[reference]))
        return [values[subject][r] / values[reference][r] for r in runs if values[reference][r] > 0]

    def fmt(value, digits=2):
        return "–" if value is None else f"{value:.{digits}f}"

    def verdict(ok):
        return "–" if ok is None else ("met" if ok else "**missed**")

    rows = []
    per_run = []

    def row(figure, plugin, reference, ratio_list, target, ok):
        ratio = statistics.median(ratio_list) if ratio_list else None
        rows.append(f"| {figure} | {plugin} | {reference} | {fmt(ratio)} | {target} | {verdict(ok(ratio))} |")
        if ratio_list:
            per_run.append(f"- {figure}: ratios " + ", ".join(fmt(r) for r in ratio_list))

    mib = 1024.0
    at_most = lambda bound: (lambda r: r is not None and r <= bound)
    info = lambda r: None
    if values["download.window_mibs"]:
        row("1. Download throughput, whole plugin with the progress window up, the stand-in's request time (MiB/s)",
            fmt(med("download.window_mibs"), 0), f"curl {fmt(med('download.join_curl_mibs'), 0)}",
            ratios("download.window_mibs", "download.join_curl_mibs"), "≥ 0.95 × curl",
            lambda r: r is not None and r >= 0.95)
    if values["download.plugin_mibs"]:
        row("1a. Download, the plugin's download code alone, client's time (MiB/s)", fmt(med("download.plugin_mibs"), 0),
            f"curl {fmt(med('download.curl_mibs'), 0)}", ratios("download.plugin_mibs", "download.curl_mibs"), "–", info)
        growth = [v / mib for v in values["download.growth_kib"].values()]
        rows.append(f"| 1b. Peak memory growth in the download (MiB) | {fmt(statistics.median(growth), 1)} "
                    f"(max {fmt(max(growth), 1)}) | idle {fmt(med('download.idle_kib') / mib, 1)} | – | ≤ 16 MiB | "
                    f"{verdict(max(growth) <= 16)} |")
    if values["startup.plugin_ms"]:
        row("2. Start-up, exec to join window mapped (ms)", fmt(med("startup.plugin_ms"), 0),
            f"form with the check {fmt(med('startup.checkform_ms'), 0)}",
            ratios("startup.plugin_ms", "startup.checkform_ms"), "≤ 1.15 ×", at_most(1.15))
        # The older floor: the form plus curl's check in a process of its own.
        for r in set(values["startup.form_ms"]) & set(values["startup.curl_ms"]):
            values["startup.floor_ms"][r] = values["startup.form_ms"][r] + values["startup.curl_ms"][r]
        floor = (f"form {fmt(med('startup.form_ms'), 0)} + curl check {fmt(med('startup.curl_ms'), 0)} "
                 f"= {fmt(med('startup.floor_ms'), 0)}")
        row("2a. Same, against the bare form plus curl's check (ms)", fmt(med("startup.plugin_ms"), 0), floor,
            ratios("startup.plugin_ms", "startup.floor_ms"), "–", info)
    if values["startup.plugin_customer_ms"]:
        row("2b. Same, SSL_CERT_FILE unset (system roots; the check ends at the handshake) (ms)",
            fmt(med("startup.plugin_customer_ms"), 0), f"form with the check {fmt(med('startup.checkform_ms'), 0)}",
            ratios("startup.plugin_customer_ms", "startup.checkform_ms"), "–", info)
    if values["startup.update_check_ms"]:
        rows.append(f"| 2c. of which the plugin update check, from the log (ms) | {fmt(med('startup.update_check_ms'), 0)} "
                    f"| curl check {fmt(med('startup.curl_ms'), 0)} | – | – | – |")
    if values["idle.plugin_percent"]:
        idle = med("idle.plugin_percent")
        rows.append(f"| 3. Idle CPU over {args.idle_seconds} s, join window up (% of one core) | {fmt(idle, 3)} | "
                    f"form {fmt(med('idle.form_percent'), 3)} | – | < 0.5 % | {verdict(round(idle, 3) < 0.5)} |")
        per_run.append("- 3. Idle CPU (%): plugin " + ", ".join(fmt(v, 3) for v in values["idle.plugin_percent"].values())
                       + "; form " + ", ".join(fmt(v, 3) for v in values["idle.form_percent"].values()))
    for name, figure in (("verified", f"4. Verified install, {args.size_mib} MiB agent, mount done to agent in place (s)"),
                         ("many", f"4a. Verified install, {args.files} files of 4 KiB (s)")):
        if values[f"{name}.verified_s"]:
            reference = (f"cp -a {fmt(med(f'{name}.cp_s'))} + SHA-256 {fmt(med(f'{name}.hash_s'))} "
                         f"= {fmt(med(f'{name}.reference_s'))}")
            row(figure, fmt(med(f"{name}.verified_s")), reference,
                ratios(f"{name}.verified_s", f"{name}.reference_s"), "≤ 1.3 ×", at_most(1.3))
    if values["sign.sign_s"]:
        row(f"4b. orvo-codesign sign of the {args.files}-file agent (s)", fmt(med("sign.sign_s"), 3),
            f"SHA-256 of every file {fmt(med('sign.hash_s'), 3)}", ratios("sign.sign_s", "sign.hash_s"), "≤ 2 ×",
            at_most(2))
    if values["install.copy_s"]:
        row(f"4c. The install's folder copy alone, {args.size_mib} MiB tree (s)", fmt(med("install.copy_s")),
            f"cp -a {fmt(med('install.cp_s'))}", ratios("install.copy_s", "install.cp_s"), "–", info)
    if values["install.plugin_s"]:
        row("4d. Whole install step with the stand-in's mount, launch and detach (s)", fmt(med("install.plugin_s")),
            f"cp -a {fmt(med('install.cp_s'))}", ratios("install.plugin_s", "install.cp_s"), "–", info)
        row("4e. of which mount by the stand-in tool (s)", fmt(med("install.mount_s")), f"cp -a {fmt(med('install.cp_s'))}",
            ratios("install.mount_s", "install.cp_s"), "–", info)
    if values["memory.plugin_kib"]:
        row("5. Peak resident size 1 s after the join window maps (MiB)", fmt(med("memory.plugin_kib") / mib, 1),
            f"form with the check {fmt(med('memory.checkform_kib') / mib, 1)}",
            ratios("memory.plugin_kib", "memory.checkform_kib"), "≤ 1.1 ×", at_most(1.1))
        row("5a. Same, against the bare form (MiB)", fmt(med("memory.plugin_kib") / mib, 1),
            f"form {fmt(med('memory.form_kib') / mib, 1)}", ratios("memory.plugin_kib", "memory.form_kib"), "–", info)
    if values["memory.plugin_customer_kib"]:
        row("5b. Same, SSL_CERT_FILE unset (MiB)", fmt(med("memory.plugin_customer_kib") / mib, 1),
            f"form with the check {fmt(med('memory.checkform_kib') / mib, 1)}",
            ratios("memory.plugin_customer_kib", "memory.checkform_kib"), "–", info)
    if values["join.peak_kib"]:
        row(f"5c. Peak resident size of a whole join (MiB, {args.size_mib} MiB image)",
            fmt(med("join.peak_kib") / mib, 1), f"form with the check {fmt(med('memory.checkform_kib') / mib, 1)}",
            ratios("join.peak_kib", "memory.checkform_kib"), "–", info)
        per_run.append("- 5c. Whole join took (s): " + ", ".join(fmt(v, 1) for v in values["join.seconds"].values()))
    if values["startup.plugin_ms"]:
        per_run.append("- 2. raw (ms): plugin " + ", ".join(fmt(v, 0) for v in values["startup.plugin_ms"].values())
                       + "; form with the check " + ", ".join(fmt(v, 0) for v in values["startup.checkform_ms"].values())
                       + "; form " + ", ".join(fmt(v, 0) for v in values["startup.form_ms"].values())
                       + "; curl check " + ", ".join(fmt(v, 0) for v in values["startup.curl_ms"].values()))

    out = [
        f"Measured {args.date} at revision {args.revision}, {args.runs} runs of each benchmark, with",
        "",
        "```sh",
        args.command,
        "```",
        "",
        f"- Machine: {args.machine}.",
        f"- Load average (1, 5, 15 min) before → after: {args.load}.",
        f"- Agent image: {int(args.image_bytes) / 1048576:.1f} MiB ({args.image_bytes} bytes).",
        "",
        "| Figure | Plugin (median) | Reference (median) | Ratio (median of per-run ratios) | Target | |",
        "|---|---|---|---|---|---|",
        *rows,
        "",
        "Per run:",
        "",
        *per_run,
    ]
    print("\n".join(out))


if __name__ == "__main__":
    main()
