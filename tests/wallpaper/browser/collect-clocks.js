// Test collector: after the page's timer has ticked a few times, writes what every clock, the location
// box and the day/night layers show into <pre id="orbiclock-results">, one record per line, fields
// separated by tabs and each field URI-encoded. The expected local time of each clock comes from the
// browser's own time-zone database (Intl) for the zone the test names for it.
(function () {
  var zones = __ZONES__;
  var currentZone = __CURRENT_ZONE__;
  var RealDate = window.orbiclockRealDate;
  var instant = window.orbiclockInstant;

  function record(fields) {
    return fields.map(function (f) { return encodeURIComponent(String(f)); }).join('\t');
  }

  function zoneTime(zone) {
    var format = new Intl.DateTimeFormat('en-GB', {
      timeZone: zone, hour: 'numeric', minute: '2-digit', hourCycle: 'h23'
    });
    var hour = '', minute = '';
    format.formatToParts(new RealDate(instant)).forEach(function (part) {
      if (part.type === 'hour') hour = part.value;
      if (part.type === 'minute') minute = part.value;
    });
    return String(Number(hour)) + ':' + minute;
  }

  function textOf(nodes) {
    return nodes.map(function (n) { return n.textContent; }).join('').replace(/\u00a0/g, ' ');
  }

  // The child nodes of an element split at its <br> elements.
  function linesOf(element) {
    var lines = [[]];
    Array.prototype.forEach.call(element.childNodes, function (child) {
      if (child.nodeName === 'BR') lines.push([]);
      else lines[lines.length - 1].push(child);
    });
    return lines;
  }

  function clockRecord(div) {
    var number = div.id.substring(5);
    var bold = div.querySelector('b');
    var name = '', time = '', marker = '', title = '', elements = 0;
    if (bold) {
      var lines = linesOf(bold);
      name = textOf(lines[0]).replace(/^ /, '');
      time = textOf(lines.slice(1).reduce(function (a, b) { return a.concat(b); }, [])).trim();
      elements = bold.querySelectorAll('*').length;
      var img = bold.querySelector('img');
      if (img) {
        marker = img.getAttribute('src');
        title = img.getAttribute('title') || '';
      }
    }
    return record(['clock', number, name, time, getComputedStyle(div).color, marker, title, elements,
                   zones[number] ? zoneTime(zones[number]) : '']);
  }

  function boxRecord(div) {
    var lines = linesOf(div);
    return record(['box', lines.length > 1 ? textOf(lines[1]) : '', textOf(lines[lines.length - 1]),
                   getComputedStyle(div).color, div.querySelectorAll('*').length]);
  }

  function collect() {
    // The zone the page runs in, and the test's zone in the browser's own spelling (ICU may prefer
    // an older alias such as Asia/Calcutta).
    var running = Intl.DateTimeFormat().resolvedOptions().timeZone;
    var wanted = new Intl.DateTimeFormat('en', {timeZone: currentZone}).resolvedOptions().timeZone;
    var out = [record(['page', document.compatMode, running, wanted, window.orbiclockPwned ? 1 : 0,
                       document.scripts.length])];
    Array.prototype.forEach.call(document.querySelectorAll('div[id^="Clock"]'), function (div) {
      if (/^Clock[1-9][0-9]*$/.test(div.id)) out.push(clockRecord(div));
      else if (div.id === 'Clock000') out.push(boxRecord(div));
    });
    ['Dotted1', 'Dotted2', 'Solid1', 'Solid2'].forEach(function (id) {
      var layer = document.getElementById(id);
      if (layer)
        out.push(record(['layer', id, parseFloat(layer.style.left), parseFloat(layer.style.top),
                         layer.querySelectorAll('img').length]));
    });
    document.getElementById('orbiclock-results').textContent = out.join('\n');
  }

  window.setTimeout(collect, 3200);
})();
