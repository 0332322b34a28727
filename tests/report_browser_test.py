#!/usr/bin/python3
"""The page of `korvex report` opened in headless Chromium, checked against
the tool's other commands: the call table holds the records of `korvex calls
--format json`; a click on a call narrows the frames to that call's
messages; a click on a frame shows the text `korvex replay --detail --hex
--layer3` writes for it; the search box keeps the rows whose summary line
holds the text; the link health is that of `korvex stats --json`; a
--where choice is shown and chooses the frames; a damaged trace's or
capture's page carries the reader's messages. A screenshot of the page is
kept in the output folder.

    report_browser_test.py KORVEX SAMPLES_DIR OUT_DIR

Exits 77 (skipped) when Chromium is not installed.
"""

import json
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "scripts"))
import svg_browser  # noqa: E402

check = svg_browser.Checks()


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True)


def shown_frames(driver):
    """The frame numbers of the rows the list draws, top to bottom."""
    return driver.execute_script(
        "return [...document.querySelectorAll('#list-rows .row')].map(r => Number(r.dataset.frame))")


def replay_text(korvex, trace, number):
    """korvex replay's text of one frame, with detail, hex and layer 3."""
    return run(korvex, "replay", "lapd", str(trace), "--detail", "--hex", "--layer3",
               "--frames", "%d-%d" % (number, number)).stdout


def detail_of(driver, number):
    """Clicks the row of a frame (scrolled into the list) and waits for its detail."""
    driver.execute_script("""
        const list = document.getElementById('list');
        const rows = [...document.querySelectorAll('#list-rows .row')];
        const at = rows.findIndex(r => Number(r.dataset.frame) === arguments[0]);
        if (at < 0) list.scrollTop = (arguments[0] - 1) * 20;""", number)
    driver.execute_script("return new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
    row = driver.find_element("css selector", "#list-rows .row[data-frame='%d']" % number)
    row.click()
    return driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const wait = () => {
            const d = document.getElementById('detail');
            if (!d.hidden && Number(d.dataset.frame) === arguments[0]) done(d.textContent);
            else setTimeout(wait, 20);
        };
        wait();""", number)


def search(driver, text):
    box = driver.find_element("id", "search")
    box.clear()
    if text:
        box.send_keys(text)
    else:
        driver.execute_script("arguments[0].dispatchEvent(new Event('input'))", box)
    driver.execute_script("return new Promise(r => setTimeout(() => requestAnimationFrame(r), 50))")


def main(korvex, samples, out):
    out.mkdir(parents=True, exist_ok=True)
    trace = samples / "lapd.txt"
    page = out / "report-lapd.html"
    made = run(korvex, "report", str(trace), "-o", str(page))
    check(made.returncode == 0 and made.stderr == "", "korvex report of lapd.txt succeeds " + made.stderr.strip())
    records = [json.loads(line) for line in run(korvex, "calls", str(trace), "--format", "json").stdout.splitlines()]
    summaries = [json.loads(line)["summary"]
                 for line in run(korvex, "replay", "lapd", str(trace), "--json").stdout.splitlines()]
    frames = len(summaries)

    with svg_browser.browser(1200, 1000) as driver:
        # The page's script errors, caught from outside the page.
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            window.pageErrors = [];
            addEventListener('error', e => pageErrors.push(e.message));
            addEventListener('unhandledrejection', e => pageErrors.push(String(e.reason)));"""})
        driver.get(page.resolve().as_uri())
        driver.set_script_timeout(10)
        check(driver.title == "korvex report: " + str(trace), "the title names the file (%s)" % driver.title)

        # The call table: one row per record, the record's values in order
        # (the rows come once the page has unpacked the call list).
        svg_browser.wait_for(driver, "#call-table tbody tr")
        head = driver.execute_script("return [...document.querySelectorAll('#call-table th')].map(t => t.textContent)")
        cells = driver.execute_script("""return [...document.querySelectorAll('#call-table tbody tr')]
            .map(tr => [...tr.cells].map(td => td.textContent))""")
        check(len(records) > 1 and len(cells) == len(records),
              "one call row per record of korvex calls (%d rows, %d records)" % (len(cells), len(records)))
        check(head == list(records[0].keys()), "the columns are the record's fields")
        def same(cell, value):
            if value is None:
                return cell == ""
            if isinstance(value, bool):
                return cell == ("true" if value else "false")
            if isinstance(value, (int, float)):
                return float(cell) == value
            return cell == value
        wrong = [(r["number"], k, c) for row, r in zip(cells, records) for c, (k, v) in zip(row, r.items())
                 if not same(c, v)]
        check(len(cells) == len(records) and wrong == [], "each row holds its record's values %s" % wrong[:3])

        # The link health of korvex stats, a row per link.
        links = json.loads(run(korvex, "stats", str(trace), "--json").stdout)["links"]
        health = driver.execute_script("""return [...document.querySelectorAll('#health-table tbody tr')]
            .map(tr => [...tr.cells].map(td => td.textContent))""")
        fields = ["REJ", "RNR", "FRMR", "DM", "reestablished", "repeated_ns"]
        check(health == [[link] + [str(counts[f]) for f in fields] for link, counts in links.items()],
              "the link health of korvex stats: %s" % health)

        # All frames at first, in the order of the trace.
        check(shown_frames(driver)[:5] == [1, 2, 3, 4, 5], "the list starts with frames 1 to 5")
        total = driver.execute_script("return document.getElementById('list-space').offsetHeight / 20")
        check(total == frames, "the list is as long as the trace (%d rows, %d frames)" % (total, frames))

        # A click on a call: its ladder, and the frames of its messages only.
        calls = driver.find_elements("css selector", "#call-table tbody tr")
        for index, record in enumerate(records):
            calls[index].click()
            svg_browser.wait_for(driver, "#ladder-svg g.arrow")
            arrows = driver.execute_script("return document.querySelectorAll('#ladder-svg g.arrow').length")
            numbers = shown_frames(driver)
            check(len(numbers) == record["messages"] and arrows == record["messages"],
                  "call %d: %d frames listed and %d arrows for its %d messages"
                  % (record["number"], len(numbers), arrows, record["messages"]))
            # Each frame listed carries the call's reference (its flag bit
            # either way) or logical channel.
            texts = [replay_text(korvex, trace, n) for n in numbers]
            if record["protocol"] == "q931":
                ref = record["call_ref"]
                own = {"Q931: Call Reference: 0x%x" % v for v in (ref, ref | 0x80, ref | 0x8000)}
            else:
                own = {"X25: LCN    : %02d" % record["logical_channel"]}
            # A SETUP sent to all in a UI frame shows no layer 3 text.
            broadcast = "LAPD: Frm : Unnumbered Information\n"
            check(numbers == sorted(numbers) and
                  all(any(o + "\n" in t for o in own) or (broadcast in t and "Q931:" not in t) for t in texts),
                  "call %d: every frame listed is a message of %s, in trace order" % (record["number"], sorted(own)))
        driver.find_element("id", "all-frames").click()
        check(len(shown_frames(driver)) > 0 and shown_frames(driver)[0] == 1, "All frames brings every frame back")

        # A click on a frame: the decoders' own text, exactly.
        for number in (1, 5, 9, frames // 2, frames):
            shown = detail_of(driver, number)
            wanted_text = replay_text(korvex, trace, number)
            check(shown == wanted_text, "frame %d: the detail is korvex replay's text (%d characters)"
                  % (number, len(wanted_text)))
        colour = driver.execute_script("""
            const rows = [...document.querySelectorAll('#list-rows .row')];
            const colourOf = d => getComputedStyle(rows.find(r => r.children[2].textContent === d)).color;
            return [colourOf('U'), colourOf('N')];""")
        check(colour == ["rgb(12, 1, 227)", "rgb(35, 108, 18)"], "rows in the viewer's colours %s" % colour)

        # The search box: the rows whose summary line holds the text.
        for text in ("UI ", "sambe", "RR", "no such text"):
            search(driver, text)
            listed = shown_frames(driver)
            expected = [i + 1 for i, line in enumerate(summaries) if text.lower() in line.lower()]
            check(listed == expected[:len(listed)] and len(listed) == min(len(expected), len(listed)) and
                  driver.find_element("id", "shown").text.startswith("%d of" % len(expected)),
                  "search %r: frames %s (%d)" % (text, listed, len(expected)))
        search(driver, "")
        check(shown_frames(driver)[0] == 1, "an empty search shows every frame")
        driver.find_elements("css selector", "#call-table tbody tr")[0].click()
        detail_of(driver, shown_frames(driver)[2])
        errors = driver.execute_script("return window.pageErrors")
        check(errors == [], "no script errors %s" % errors)
        png = out / "report-lapd.png"
        driver.save_screenshot(str(png))
        check(png.stat().st_size > 10000, "screenshot kept as %s" % png)

        # Damaged input: the page of what could be read, the reader's
        # messages at its top; messages and exit status as the command that
        # reads the same input gives them. A hex trace with a faulty data
        # line and an unfinished last frame (notes, status 0), and a capture
        # cut short (damage, status 1).
        text = trace.read_text()
        damaged_trace = out / "damaged.txt"
        damaged_trace.write_text(text.replace("0000: 00 81 00 00 08 01 01 05", "0000: 00 81 00 00 08 01 01 0", 1)
                                 + "Frame 51                12:59.000\nLength: 6\n")
        capture = out / "lapd.pcap"
        run(korvex, "convert", str(trace), str(capture), "--linktype", "203")
        cut_capture = out / "cut.pcap"
        cut_capture.write_bytes(capture.read_bytes()[:700])
        # (input, the command whose messages and status the report's are,
        # the command that decodes what can be read)
        for damaged, other, decode in ((damaged_trace, ["calls"], ["replay", "lapd"]),
                                       (cut_capture, ["pcap"], ["pcap"])):
            other = other + [str(damaged)]
            name = damaged.name
            damaged_page = out / ("report-" + damaged.stem + ".html")
            made = run(korvex, "report", str(damaged), "-o", str(damaged_page))
            reader = run(korvex, *other)
            check(made.stderr != "" and made.stderr == reader.stderr,
                  "%s: the reader's messages on standard error, as korvex %s gives them" % (name, other[0]))
            check(made.returncode == reader.returncode,
                  "%s: the exit status of korvex %s (%d)" % (name, other[0], made.returncode))
            driver.get(damaged_page.resolve().as_uri())
            svg_browser.wait_for(driver, "#facts dd")
            messages = driver.execute_script(
                "const m = document.getElementById('messages'); return m.hidden ? '' : m.textContent")
            check(messages == made.stderr, "%s: the messages at the top of the page" % name)
            listed = driver.execute_script("return document.getElementById('list-space').offsetHeight / 20")
            readable = len(run(korvex, *decode, str(damaged), "--json").stdout.splitlines())
            check(listed == readable and readable > 0,
                  "%s: the %d frames that could be read are listed (%d)" % (name, readable, listed))
        # A selection: shown at the top, the page holding the frames chosen.
        chosen_page = out / "report-where.html"
        where = "sapi == 0 and frame == I"
        made = run(korvex, "report", str(trace), "--where", where, "-o", str(chosen_page))
        chosen = [json.loads(line)["frame"] for line in
                  run(korvex, "replay", "lapd", str(trace), "--where", where, "--json").stdout.splitlines()]
        driver.get(chosen_page.resolve().as_uri())
        svg_browser.wait_for(driver, "#facts dd")
        shown_choice = driver.execute_script(
            "const s = document.getElementById('selection'); return s.hidden ? '' : s.textContent")
        check(made.returncode == 0 and shown_choice == "Selection: --where " + where,
              "the selection shown at the top: %r" % shown_choice)
        listed = driver.execute_script("return document.getElementById('list-space').offsetHeight / 20")
        check(len(chosen) > 0 and listed == len(chosen) and shown_frames(driver) == chosen[:len(shown_frames(driver))],
              "the page holds the %d frames the selection chooses (%d rows)" % (len(chosen), listed))
    return check.summary()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    if not Path(svg_browser.CHROMIUM).exists():
        print("skipped: no " + svg_browser.CHROMIUM)
        sys.exit(77)
    sys.exit(main(sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])))
