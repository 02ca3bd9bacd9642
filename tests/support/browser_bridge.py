#!/usr/bin/python3
"""A headless Chromium for the C++ tests, driven through selenium: one JSON request a line
on stdin, one JSON answer a line on stdout.

  {"op": "open", "url": U, "width": W, "height": H}   a fresh page of that viewport size
  {"op": "js", "script": S}                            the value of `return ...` in S
  {"op": "shot", "path": P}                            a screenshot of the viewport
"""
import json
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def make_driver():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-extensions", "--window-size=1100,900"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def main():
    driver = None
    for line in sys.stdin:
        request = json.loads(line)
        try:
            op = request["op"]
            if op == "open":
                if driver is None:
                    driver = make_driver()
                driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": request["width"], "height": request["height"],
                    "deviceScaleFactor": 1, "mobile": request["width"] < 600})
                driver.get(request["url"])
                answer = {"ok": True}
            elif op == "js":
                answer = {"ok": True, "value": driver.execute_script(request["script"])}
            elif op == "shot":
                answer = {"ok": driver.save_screenshot(request["path"])}
            else:
                answer = {"ok": False, "error": "unknown op " + op}
        except Exception as error:  # the test reads the reason
            answer = {"ok": False, "error": str(error)}
        print(json.dumps(answer), flush=True)
    if driver is not None:
        driver.quit()


if __name__ == "__main__":
    main()
