// Loaded only by browsers that cannot run module scripts: they cannot run
// the game either, and say so in the user's language when the build has it.
// Written for such browsers: no modules, no arrow functions, no fetch.
(function () {
  function show(text) {
    var p = document.createElement('p');
    p.className = 'message';
    p.appendChild(document.createTextNode(text));
    document.body.appendChild(p);
  }
  function load(language, fallback) {
    var request = new XMLHttpRequest();
    request.open('GET', 'i18n/' + language + '.json');
    request.onload = function () {
      var texts = request.status === 200 ? JSON.parse(request.responseText) : null;
      if (texts && texts.oldBrowser)
        show(texts.oldBrowser);
      else if (fallback)
        fallback();
    };
    request.onerror = fallback || function () {};
    request.send();
  }
  var language = String(navigator.language || 'en').toLowerCase().split('-')[0];
  load(language, function () { load('en', null); });
}());
